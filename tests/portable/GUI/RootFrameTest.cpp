// The root window's frame on the headless host with two monitors: edge
// drags, maximised and fullscreen, each giving back exactly what was before.
#include "support/HeadlessDesk.h"

#include <gtest/gtest.h>

namespace Brintavolex::GUI {
namespace {

namespace M = WindowMessages;

constexpr Rect kPrimary{0, 0, 1280, 1024}, kPrimaryWork{0, 0, 1280, 984};
constexpr Rect kSecond{1280, -100, 3200, 980}, kSecondWork{1280, -100, 3200, 940};
constexpr Rect kStart{1500, 100, 2100, 500};

struct CountingGUI final : GUI {
    using GUI::GUI;
    void OnRootPlacementEnded() override { ++placementsEnded; }
    int placementsEnded = 0;
};

struct Frame : TestSupport::HeadlessDesk<CountingGUI> {
    Frame()
    {
        platform->SetMonitors({{1, kPrimary, kPrimaryWork}, {2, kSecond, kSecondWork}});
        root->SetTitle("Titel", "Title");
        Show(kStart);
    }
    Rect WindowRect() const { return platform->Window(Window())->rect; }
    // Pointer input at a desktop point, handled with the repaint it asks for.
    void Pointer(std::uint32_t message, std::int32_t x, std::int32_t y)
    {
        const Rect r = WindowRect();
        platform->InjectPointer(Window(), message, x - r.x0, y - r.y0);
        gui->ProcessPendingMessages();
    }
    void Drag(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
    {
        Pointer(M::MouseMove, x0, y0);
        Pointer(M::LButtonDown, x0, y0);
        Pointer(M::MouseMove, (x0 + x1) / 2, (y0 + y1) / 2);
        Pointer(M::MouseMove, x1, y1);
        Pointer(M::LButtonUp, x1, y1);
    }
    void DoubleClickTitle()
    {
        const Rect r = WindowRect();
        Pointer(M::LButtonDown, r.x0 + 200, r.y0 + 5);
        Pointer(M::LButtonUp, r.x0 + 200, r.y0 + 5);
        Pointer(M::LButtonDoubleClick, r.x0 + 200, r.y0 + 5);
        Pointer(M::LButtonUp, r.x0 + 200, r.y0 + 5);
    }
};

TEST(RootFrame, EdgesAndCornersResizeWithTheMatchingPointerAndNeverBelowTheMinimum)
{
    Frame f;
    // Over the right edge the pointer shows the east-west arrows, inside the arrow.
    f.Pointer(M::MouseMove, kStart.x1 - 2, 300);
    EXPECT_EQ(f.platform->PointerShapeSeen(), PointerShape::SizeWestEast);
    f.Pointer(M::MouseMove, 1800, 300);
    EXPECT_EQ(f.platform->PointerShapeSeen(), PointerShape::Arrow);

    // The bottom-left corner, 30 out and 40 down.
    f.Drag(kStart.x0 + 1, kStart.y1 - 2, kStart.x0 - 29, kStart.y1 + 38);
    EXPECT_EQ(f.platform->PointerShapeSeen(), PointerShape::SizeNorthEastSouthWest);
    const Rect grown{kStart.x0 - 30, kStart.y0, kStart.x1, kStart.y1 + 40};
    EXPECT_EQ(f.root->GetRect(), grown);
    EXPECT_EQ(f.WindowRect(), grown);
    EXPECT_EQ(f.gui->placementsEnded, 1);

    // The right edge dragged far past the left one stops at the minimum width.
    f.Drag(grown.x1 - 1, 300, grown.x0 - 500, 300);
    EXPECT_EQ(f.WindowRect(), (Rect{grown.x0, grown.y0, grown.x0 + GUI::kMinimumWidth, grown.y1}));
    // The top edge likewise, keeping the bottom.
    f.Drag(grown.x0 + 100, grown.y0, grown.x0 + 100, grown.y1 + 300);
    EXPECT_EQ(f.WindowRect(), (Rect{grown.x0, grown.y1 - GUI::kMinimumHeight, grown.x0 + GUI::kMinimumWidth, grown.y1}));
    EXPECT_EQ(f.gui->placementsEnded, 3);
    EXPECT_FALSE(f.gui->IsResizing());
}

TEST(RootFrame, MaximisedAndFullscreenCoverTheMonitorThatHoldsTheWindowAndGiveBackItsRectangle)
{
    Frame f;
    // A double-click on the title line maximises onto the second monitor's work area.
    f.DoubleClickTitle();
    EXPECT_TRUE(f.gui->IsMaximized());
    EXPECT_EQ(f.WindowRect(), kSecondWork);
    EXPECT_EQ(f.gui->RestoredRect(), kStart);
    // Maximised, neither the title nor the edges move or resize it.
    f.Drag(kSecondWork.x0 + 300, kSecondWork.y0 + 5, kSecondWork.x0 + 350, kSecondWork.y0 + 60);
    f.Drag(kSecondWork.x1 - 1, 300, kSecondWork.x1 - 200, 300);
    EXPECT_EQ(f.WindowRect(), kSecondWork);

    // Fullscreen: the monitor's whole area without the title line; leaving
    // returns to maximised.
    f.gui->SetFullscreen(true);
    f.gui->ProcessPendingMessages();
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), kSecond);
    EXPECT_EQ(f.root->TitleHeight(), 0);
    EXPECT_EQ(f.gui->RestoredRect(), kStart);
    f.gui->SetFullscreen(false);
    f.gui->HandleGUIMessages();
    EXPECT_TRUE(f.gui->IsMaximized());
    EXPECT_EQ(f.WindowRect(), kSecondWork);
    EXPECT_GT(f.root->TitleHeight(), 0);

    // The system menu's restore, then a double-click again: exactly as before.
    f.platform->Send(f.Window(), M::SystemCommand, SystemCommands::Restore, 0);
    f.gui->HandleGUIMessages();
    EXPECT_FALSE(f.gui->IsMaximized());
    EXPECT_EQ(f.WindowRect(), kStart);
    f.DoubleClickTitle();
    f.DoubleClickTitle();
    EXPECT_EQ(f.WindowRect(), kStart);

    // Fullscreen from window mode and back; a window mostly on the primary
    // monitor covers that one.
    f.gui->SetFullscreen(true);
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), kSecond);
    f.gui->SetFullscreen(false);
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), kStart);
    f.Drag(kStart.x0 + 300, kStart.y0 + 5, 400 + 300 - 600, 200 + 5);
    const Rect onPrimary{-200, 200, 400, 600};
    EXPECT_EQ(f.WindowRect(), onPrimary);
    f.platform->Send(f.Window(), M::SystemCommand, SystemCommands::Maximize, 0);
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), kPrimaryWork);
    f.gui->SetFullscreen(true);
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), kPrimary);
    f.gui->SetFullscreen(false);
    f.gui->SetMaximized(false);
    f.gui->HandleGUIMessages();
    EXPECT_EQ(f.WindowRect(), onPrimary);
}

} // namespace
} // namespace Brintavolex::GUI
