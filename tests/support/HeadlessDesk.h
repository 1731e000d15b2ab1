#pragma once

// A GUI on the headless window host: messages as the system delivers them,
// a virtual clock, frames in memory. Set the platform up (monitors, colours)
// and dress the root panel, then Show().
#include "GUI/api/GUI.h"
#include "GUI/api/HeadlessWindowPlatform.h"
#include "GUI/api/Panel.h"

#include <memory>
#include <stdexcept>

namespace Brintavolex::TestSupport {

template <class G = GUI::GUI, class Root = GUI::PanelWithTransparentTitle> struct HeadlessDesk {
    void Show(const GUI::Rect &rootRect)
    {
        gui = std::make_unique<G>(platform);
        gui->CreateContextSoftware();
        root->SetRect(rootRect);
        gui->SetRootPanel(root);
        gui->Show();
    }
    GUI::WindowHandle Window() const { return gui->WindowOf(*root); }
    // Handles what is queued; a message of no meaning first, so that the
    // pending input and repaint requests are served as after any message.
    void Pump()
    {
        platform->Post(Window(), 0, 0, 0);
        gui->ProcessPendingMessages();
    }
    // Pointer input at a client point of the root window, handled at once.
    void Pointer(std::uint32_t message, std::int32_t x, std::int32_t y)
    {
        platform->InjectPointer(Window(), message, x, y);
        Pump();
    }
    void Click(std::int32_t x, std::int32_t y)
    {
        Pointer(GUI::WindowMessages::MouseMove, x, y);
        Pointer(GUI::WindowMessages::LButtonDown, x, y);
        Pointer(GUI::WindowMessages::LButtonUp, x, y);
    }
    void Key(std::uint32_t message, std::uint32_t key)
    {
        platform->InjectKey(Window(), message, key);
        Pump();
    }
    // The root window's last frame, B, G, R, A per pixel.
    const std::vector<std::uint8_t> &Frame() const { return platform->Frames(Window()).Pixels(); }
    std::uint8_t FrameByte(std::int32_t x, std::int32_t y, int channel) const
    {
        return Frame()[(std::size_t(y) * platform->Frames(Window()).Width() + std::size_t(x)) * 4 + std::size_t(channel)];
    }

    SharedPtr<GUI::HeadlessWindowPlatform> platform = MakeShared<GUI::HeadlessWindowPlatform>();
    std::unique_ptr<G> gui;
    SharedPtr<Root> root = MakeShared<Root>();
};

// A click at the middle of r, a rectangle in panel's window, handled at once.
inline void ClickIn(GUI::GUI &gui, GUI::HeadlessWindowPlatform &platform, const GUI::Panel &panel, const GUI::Rect &r)
{
    const GUI::WindowHandle window = gui.WindowOf(panel);
    if (!window)
        throw std::runtime_error("ClickIn: the panel has no window");
    const std::int32_t x = (r.x0 + r.x1) / 2, y = (r.y0 + r.y1) / 2;
    for (std::uint32_t message :
         {GUI::WindowMessages::MouseMove, GUI::WindowMessages::LButtonDown, GUI::WindowMessages::LButtonUp})
        platform.InjectPointer(window, message, x, y);
    gui.ProcessPendingMessages();
}

} // namespace Brintavolex::TestSupport
