#include "this/src/ViewerWindow.h"

#include <algorithm>

namespace Brintavolex {

ViewerWindow::ViewerWindow(SharedPtr<GUI::WindowPlatform> platform)
    : _gui(std::move(platform)), _root(MakeShared<ViewerPanel>())
{
    _gui.CreateContextSoftware();
    _root->SetStyle(MakeShared<GUI::ViewerStyleWithOpaquePanelBackground>());
    // Escape on the root panel closes the window.
    Function2<void()> close;
    close.Reset(&GUI::GUI::Close, &_gui);
    _root->SetCloseAction(close);
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

void ViewerWindow::OpenFile(const String &path) { _root->OpenFile(path, _gui.CreateGuiThreadPoster()); }

} // namespace Brintavolex
