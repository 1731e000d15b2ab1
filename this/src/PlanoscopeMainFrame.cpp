#include "this/src/PlanoscopeMainFrame.h"

#include "GUI/api/Panel.h"
#include "this/src/AboutDialog.h"
#include "this/src/OpenFileDialog.h"
#include "this/src/SaveImageDialog.h"
#include "this/src/SettingsDialog.h"
#include "this/src/WindowPlacement.h"

namespace Brintavolex {

PlanoscopeMainFrame::PlanoscopeMainFrame(SharedPtr<::Brintavolex::GUI::WindowPlatform> platform,
                                         const String &settingsFolder, SharedPtr<IWindowDropTarget> dropTarget,
                                         SharedPtr<IShellCommands> shell)
    : GUI(std::move(platform)),
      _store(settingsFolder.Empty() ? std::make_unique<SettingsStore>(_settings)
                                    : std::make_unique<SettingsStore>(_settings, settingsFolder, String())),
      _panel(MakeShared<PlanoscopeApplication>(_settings, shell)), _dropTarget(std::move(dropTarget)),
      _shell(std::move(shell))
{
    Locale::DetectSystemLanguage();
    BindSettings();
    _store->Load();
    CreateContext(_settings.renderer.Get());
    ApplyBackground();
    // Escape on the root panel closes the window.
    Function2<void()> close;
    close.Reset(&GUI::Close, static_cast<GUI *>(this));
    _panel->SetCloseAction(close);
}

PlanoscopeMainFrame::~PlanoscopeMainFrame()
{
    // The panels are bound to the settings, which go before the GUI base.
    while (!Panels().empty())
        RemovePanel(*Panels().back());
    _panel.Reset();
}

void PlanoscopeMainFrame::BindSettings()
{
    // Every change is saved; while the file is read the store saves nothing.
    _settings.language.Callback().ResetCallable([this](const Locale::EnumLanguage &language) {
        Locale::SetCurrentLanguage(language);
        // Texts pick their language as they draw.
        if (_panel)
            _panel->Invalidate();
        RequestRepaint();
        _store->Save();
    });
    _settings.backgroundColor.Callback().ResetCallable([this](const Data::ColorBGRA<float> &) {
        ApplyBackground();
        _store->Save();
    });
    // The back end is chosen as the window host starts: a change holds from
    // the next start.
    _settings.renderer.Callback().ResetCallable(
        [this](const Platform::Video::RendererTypeEnum &) { _store->Save(); });
    // The 2D viewer's toggles and sampling choices.
    Function2<void()> save;
    save.ResetCallable([this] { _store->Save(); });
    _panel->Viewer().BindSettings(_settings.viewer2D, save);
    _panel->Volume().BindSettings(_settings.viewer3D, std::move(save));
    _panel->Viewer().SetSaveDialog(CreateSystemSaveDialog(*this, *_panel));
    ConnectApplication();
}

void PlanoscopeMainFrame::ConnectApplication()
{
    PlanoscopeApplication::Frame frame;
    frame.saveSettings = [this] { _store->Save(); };
    frame.close = [this] { Close(); };
    frame.setFullscreen = [this](bool on) { SetFullscreen(on); };
    frame.askOpenPath = [this] { return AskOpenPath(*this, *_panel); };
    frame.readClipboard = [this, clipboard = SystemClipboard()] { return clipboard->Read(WindowOf(*_panel)); };
    frame.showSettings = [this] {
        SettingsDialog::Callbacks callbacks;
        callbacks.onDeleteEnabledChanged = [this](bool) {
            if (_panel)
                _panel->DeletionSettingChanged();
        };
        callbacks.save = [this] { _store->Save(); };
        ShowSettingsDialog(*this, _settings, std::move(callbacks));
    };
    frame.showAbout = [this] {
        AboutDialog::Callbacks callbacks;
        callbacks.openWebPage = [this](const String &url) {
            if (_shell)
                _shell->Execute(WindowOf(*_panel), "open", url);
        };
        ShowAboutDialog(*this, std::move(callbacks));
    };
    _panel->SetFrame(std::move(frame));
}

void PlanoscopeMainFrame::ApplyBackground()
{
    if (!_panel)
        return;
    const Data::ColorBGRA<float> c = _settings.backgroundColor.Get();
    auto style = MakeShared<::Brintavolex::GUI::ViewerStyleWithOpaquePanelBackground>();
    style->panelBackground = ::Brintavolex::GUI::Color{c.r, c.g, c.b, c.a};
    _panel->SetStyle(style);
    RequestRepaint();
}

void PlanoscopeMainFrame::Open()
{
    const ::Brintavolex::GUI::Rect stored{_settings.windowX0.Get(), _settings.windowY0.Get(),
                                          _settings.windowX1.Get(), _settings.windowY1.Get()};
    RefreshMonitors();
    const ::Brintavolex::GUI::Rect r = PlaceMainWindow(stored, Monitors(), kWidth, kHeight);
    _panel->SetRect(r);
    SetRootPanel(_panel);
    Show();
    if (_dropTarget) {
        _dropWindow = WindowOf(*_panel);
        _dropTarget->Register(_dropWindow, [this](DroppedItem item) { _panel->OpenDroppedLater(std::move(item)); });
    }
}

void PlanoscopeMainFrame::OpenFile(const String &path) { _panel->OpenFile(path); }

void PlanoscopeMainFrame::StoreWindowRect()
{
    if (!GetRootPanel())
        return;
    const ::Brintavolex::GUI::Rect r = RestoredRect();
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    if (_settings.windowX0.Get() == r.x0 && _settings.windowY0.Get() == r.y0 && _settings.windowX1.Get() == r.x1 &&
        _settings.windowY1.Get() == r.y1)
        return;
    _settings.windowX0.Set(r.x0);
    _settings.windowY0.Set(r.y0);
    _settings.windowX1.Set(r.x1);
    _settings.windowY1.Set(r.y1);
    _store->Save();
}

void PlanoscopeMainFrame::OnClose()
{
    StoreWindowRect();
    StopTimers();
    if (_dropTarget && _dropWindow) {
        _dropTarget->Revoke(_dropWindow);
        _dropWindow = 0;
    }
    // The dialogs bound to the settings and the document go before the
    // windows close.
    for (const SharedPtr<::Brintavolex::GUI::Panel> &panel : std::vector(Panels()))
        if (panel != _panel)
            RemovePanel(*panel);
    if (_panel)
        _panel->Shutdown();
    GUI::OnClose();
    _panel.Reset();
}

} // namespace Brintavolex
