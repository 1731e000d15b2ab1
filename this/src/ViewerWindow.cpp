#include "this/src/ViewerWindow.h"

#include "this/src/OpenFileDialog.h"
#include "this/src/SaveImageDialog.h"

#include <algorithm>

namespace Brintavolex {

ViewerWindow::ViewerWindow(SharedPtr<GUI::WindowPlatform> platform, const String &settingsFolder,
                           SharedPtr<IShellCommands> shell)
    : _store(settingsFolder.Empty() ? std::make_unique<SettingsStore>(_settings)
                                    : std::make_unique<SettingsStore>(_settings, settingsFolder, String())),
      _gui(std::move(platform)), _root(MakeShared<PlanoscopeApplication>(_settings, std::move(shell)))
{
    Locale::DetectSystemLanguage();
    BindSettings();
    _store->Load();
    _gui.CreateContext(_settings.renderer.Get());
    ApplyBackground();
    // Escape on the root panel closes the window.
    Function2<void()> close;
    close.Reset(&GUI::GUI::Close, &_gui);
    _root->SetCloseAction(close);
}

void ViewerWindow::BindSettings()
{
    // Every change is saved; while the file is read the store saves nothing.
    _settings.language.Callback().ResetCallable([this](const Locale::EnumLanguage &language) {
        Locale::SetCurrentLanguage(language);
        // Texts pick their language as they draw.
        _root->Invalidate();
        _gui.RequestRepaint();
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
    _root->Viewer().BindSettings(_settings.viewer2D, save);
    _root->Volume().BindSettings(_settings.viewer3D, std::move(save));
    _root->Viewer().SetSaveDialog(CreateSystemSaveDialog(_gui, *_root));
    PlanoscopeApplication::Frame frame;
    frame.saveSettings = [this] { _store->Save(); };
    frame.close = [this] { _gui.Close(); };
    frame.askOpenPath = [this] { return AskOpenPath(_gui, *_root); };
    _root->SetFrame(std::move(frame));
}

void ViewerWindow::ApplyBackground()
{
    const Data::ColorBGRA<float> c = _settings.backgroundColor.Get();
    auto style = MakeShared<GUI::ViewerStyleWithOpaquePanelBackground>();
    style->panelBackground = GUI::Color{c.r, c.g, c.b, c.a};
    _root->SetStyle(style);
    _gui.RequestRepaint();
}

void ViewerWindow::Open()
{
    _gui.RefreshMonitors();
    GUI::Rect area{0, 0, kWidth, kHeight};
    const std::vector<GUI::MonitorInfo> &monitors = _gui.Monitors();
    if (!monitors.empty()) {
        area = monitors.front().workArea;
        for (const GUI::MonitorInfo &m : monitors)
            if (m.area.Contains(0, 0))
                area = m.workArea;
    }
    const std::int32_t w = std::min(kWidth, area.Width()), h = std::min(kHeight, area.Height());
    const std::int32_t x0 = area.x0 + (area.Width() - w) / 2, y0 = area.y0 + (area.Height() - h) / 2;
    _root->SetRect(x0, y0, x0 + w, y0 + h);
    _gui.SetRootPanel(_root);
    _gui.Show();
}

void ViewerWindow::OpenFile(const String &path) { _root->OpenFile(path); }

} // namespace Brintavolex
