#pragma once

// The viewer role's window: the window host with the software renderer and
// the application's root panel, which the image views fill.

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "GUI/api/WindowPlatform.h"

namespace Brintavolex {

class ViewerWindow {
public:
    static constexpr std::int32_t kWidth = 800, kHeight = 600;

    explicit ViewerWindow(SharedPtr<GUI::WindowPlatform> platform);
    ViewerWindow(const ViewerWindow &) = delete;
    ViewerWindow &operator=(const ViewerWindow &) = delete;

    GUI::GUI &Host() noexcept { return _gui; }
    const SharedPtr<GUI::PanelWithTransparentTitle> &RootPanel() const noexcept { return _root; }
    // Places the root panel in the middle of the primary monitor's work area
    // and shows its window.
    void Open();
    // The message loop; the exit code of the run.
    int Run() { return _gui.Run(); }

private:
    GUI::GUI _gui;
    SharedPtr<GUI::PanelWithTransparentTitle> _root;
};

} // namespace Brintavolex
