#pragma once

// The viewer role's window: the window host with the software renderer and
// the viewer panel (title line and 2D view) as its root panel.

#include "GUI/api/GUI.h"
#include "GUI/api/WindowPlatform.h"
#include "this/src/ViewerPanel.h"

namespace Brintavolex {

class ViewerWindow {
public:
    static constexpr std::int32_t kWidth = 800, kHeight = 600;

    explicit ViewerWindow(SharedPtr<GUI::WindowPlatform> platform);
    ViewerWindow(const ViewerWindow &) = delete;
    ViewerWindow &operator=(const ViewerWindow &) = delete;

    GUI::GUI &Host() noexcept { return _gui; }
    const SharedPtr<ViewerPanel> &RootPanel() const noexcept { return _root; }
    // Places the root panel in the middle of the primary monitor's work area
    // and shows its window.
    void Open();
    // Decodes the file in the background; it shows once the GUI thread has
    // the outcome. After Open.
    void OpenFile(const String &path);
    // The message loop; the exit code of the run.
    int Run() { return _gui.Run(); }

private:
    GUI::GUI _gui;
    SharedPtr<ViewerPanel> _root;
};

} // namespace Brintavolex
