#pragma once

// The viewer role's main window: the window host itself, with the renderer
// the settings name and the application (toolbars, viewers, file slider) as
// its root panel. It opens where the last run left it, keeps that place in the
// settings and closes in order: timers, drag and drop, document, windows.

#include "GUI/api/GUI.h"
#include "GUI/api/WindowPlatform.h"
#include "this/src/Settings/PlanoscopeSettings.h"
#include "this/src/Settings/SettingsFile.h"
#include "this/src/PlanoscopeApplication.h"
#include "this/src/ShellCommands.h"
#include "this/src/WindowDropTarget.h"

#include <memory>

namespace Brintavolex {

class PlanoscopeMainFrame : public GUI::GUI {
public:
    // The size of a first run, centred on the primary monitor.
    static constexpr std::int32_t kWidth = 800, kHeight = 600;

    // Reads the settings (from settingsFolder; empty: the user's) before
    // anything shows, so that their language, renderer, colours and the
    // window's place hold from the first frame. dropTarget (may be null)
    // is registered for the root window once it exists. shell (may be
    // null: no deleting or printing) carries out the shell's commands.
    explicit PlanoscopeMainFrame(SharedPtr<::Brintavolex::GUI::WindowPlatform> platform,
                                 const String &settingsFolder = String(),
                                 SharedPtr<IWindowDropTarget> dropTarget = nullptr,
                                 SharedPtr<IShellCommands> shell = nullptr);
    ~PlanoscopeMainFrame() override;
    PlanoscopeMainFrame(const PlanoscopeMainFrame &) = delete;
    PlanoscopeMainFrame &operator=(const PlanoscopeMainFrame &) = delete;

    ::Brintavolex::GUI::GUI &Host() noexcept { return *this; }
    const SharedPtr<PlanoscopeApplication> &RootPanel() const noexcept { return _panel; }
    PlanoscopeSettings &Settings() noexcept { return _settings; }
    // Places the root panel where the settings say and shows its window.
    void Open();
    // Decodes the file in the background; it shows once the GUI thread has
    // the outcome. After Open.
    void OpenFile(const String &path);

    void OnClose() override;

protected:
    void OnRootPlacementEnded() override { StoreWindowRect(); }

private:
    void BindSettings();
    void ConnectApplication();
    void ApplyBackground();
    // The window-mode rectangle into the settings, saved when it changed.
    void StoreWindowRect();

    PlanoscopeSettings _settings;
    std::unique_ptr<SettingsStore> _store;
    SharedPtr<PlanoscopeApplication> _panel;
    SharedPtr<IWindowDropTarget> _dropTarget;
    SharedPtr<IShellCommands> _shell;
    ::Brintavolex::GUI::WindowHandle _dropWindow = 0;
};

} // namespace Brintavolex
