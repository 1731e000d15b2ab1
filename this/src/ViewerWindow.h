#pragma once

// The viewer role's window: the window host with the renderer the settings
// name and the viewer panel (title line and 2D view) as its root panel.

#include "GUI/api/GUI.h"
#include "GUI/api/WindowPlatform.h"
#include "this/src/Settings/PlanoscopeSettings.h"
#include "this/src/Settings/SettingsFile.h"
#include "this/src/PlanoscopeApplication.h"

#include <memory>

namespace Brintavolex {

class ViewerWindow {
public:
    static constexpr std::int32_t kWidth = 800, kHeight = 600;

    // Reads the settings (from settingsFolder; empty: the user's) before
    // anything shows, so that their language, renderer and colours hold
    // from the first frame.
    explicit ViewerWindow(SharedPtr<GUI::WindowPlatform> platform, const String &settingsFolder = String(),
                          SharedPtr<IShellCommands> shell = {});
    ViewerWindow(const ViewerWindow &) = delete;
    ViewerWindow &operator=(const ViewerWindow &) = delete;

    GUI::GUI &Host() noexcept { return _gui; }
    const SharedPtr<PlanoscopeApplication> &RootPanel() const noexcept { return _root; }
    PlanoscopeSettings &Settings() noexcept { return _settings; }
    // Places the root panel in the middle of the primary monitor's work area
    // and shows its window.
    void Open();
    // Decodes the file in the background; it shows once the GUI thread has
    // the outcome. After Open.
    void OpenFile(const String &path);
    // The message loop; the exit code of the run.
    int Run() { return _gui.Run(); }

private:
    void BindSettings();
    void ApplyBackground();

    PlanoscopeSettings _settings;
    std::unique_ptr<SettingsStore> _store;
    GUI::GUI _gui;
    SharedPtr<PlanoscopeApplication> _root;
};

} // namespace Brintavolex
