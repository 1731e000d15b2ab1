// The main window's place: the placement over a monitor layout, the round
// trip through the settings file across runs, and the order of closing.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/PlanoscopeMainFrame.h"
#include "this/src/WindowPlacement.h"

#include <gtest/gtest.h>

#include <functional>

namespace Brintavolex {
namespace {

namespace M = GUI::WindowMessages;
using GUI::Rect;

// The primary monitor right of the second one, which lies higher.
const GUI::MonitorInfo kSecond{7, Rect{-1600, -300, 0, 900}, Rect{-1600, -300, 0, 860}};
const GUI::MonitorInfo kPrimary{3, Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}};
const std::vector<GUI::MonitorInfo> kLayout{kSecond, kPrimary};

TEST(WindowPlacement, StaysOnItsMonitorComesBackOntoTheNearestOrIsCentredOnThePrimary)
{
    const Rect onSecond{-1500, -200, -700, 400};
    EXPECT_EQ(PlaceMainWindow(onSecond, kLayout, 800, 600), onSecond);
    // Mostly on the second monitor, partly off its work area's bottom.
    EXPECT_EQ(PlaceMainWindow(Rect{-900, 500, -100, 1000}, kLayout, 800, 600), (Rect{-900, 360, -100, 860}));
    // Off every monitor: onto the nearest one, moved inside its work area.
    EXPECT_EQ(PlaceMainWindow(Rect{2500, 200, 3300, 800}, kLayout, 800, 600), (Rect{1120, 200, 1920, 800}));
    EXPECT_EQ(PlaceMainWindow(Rect{-2000, -900, -1800, -700}, kLayout, 800, 600), (Rect{-1600, -300, -1400, -100}));
    // Larger than the monitor: shrunk to its work area.
    EXPECT_EQ(PlaceMainWindow(Rect{100, 100, 3000, 2000}, kLayout, 800, 600), kPrimary.workArea);
    // Nothing stored (empty in one direction is nothing), or a damaged
    // value: centred on the primary monitor whatever its place in the list.
    const Rect centred{560, 220, 1360, 820};
    EXPECT_EQ(PlaceMainWindow(Rect{}, kLayout, 800, 600), centred);
    EXPECT_EQ(PlaceMainWindow(Rect{100, 100, 100, 700}, kLayout, 800, 600), centred);
    EXPECT_EQ(PlaceMainWindow(Rect{-2147483647 - 1, 0, 2147483647, 500}, kLayout, 800, 600), centred);
}

// Records what the main frame asks of the drop target and the state of the
// host at the time.
struct RecordingDropTarget final : IWindowDropTarget {
    void Register(GUI::WindowHandle window, DropHandler) override { registered = window; }
    void Revoke(GUI::WindowHandle window) override
    {
        revoked = window;
        if (onRevoke)
            onRevoke();
    }
    GUI::WindowHandle registered = 0, revoked = 0;
    std::function<void()> onRevoke;
};

struct FrameRun {
    explicit FrameRun(const TestSupport::TempFolder &settings, SharedPtr<IWindowDropTarget> drop = nullptr)
        : platform(MakeShared<GUI::HeadlessWindowPlatform>()),
          frame(platform, TestSupport::PathString(settings.Path()), std::move(drop))
    {
        platform->SetMonitors(kLayout);
        frame.Open();
        window = frame.WindowOf(*frame.RootPanel());
    }
    Rect WindowRect() const { return platform->Window(window)->rect; }
    void Pointer(std::uint32_t message, std::int32_t x, std::int32_t y)
    {
        const Rect r = WindowRect();
        platform->InjectPointer(window, message, x - r.x0, y - r.y0);
        frame.ProcessPendingMessages();
    }
    void Drag(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
    {
        Pointer(M::MouseMove, x0, y0);
        Pointer(M::LButtonDown, x0, y0);
        Pointer(M::MouseMove, x1, y1);
        Pointer(M::LButtonUp, x1, y1);
    }
    int Close()
    {
        platform->InjectKey(window, M::KeyDown, 27);
        platform->InjectKey(window, M::KeyUp, 27);
        return frame.Run();
    }
    SharedPtr<GUI::HeadlessWindowPlatform> platform;
    PlanoscopeMainFrame frame;
    GUI::WindowHandle window = 0;
};

TEST(PlanoscopeMainFrame, TheNextRunOpensWhereTheWindowWasMovedAndResizedNotMaximised)
{
    const TestSupport::TempFolder settings;
    Rect placed;
    {
        FrameRun first(settings);
        const Rect centred{560, 220, 1360, 820};
        ASSERT_EQ(first.WindowRect(), centred);
        // Title onto the second monitor, then the bottom-right corner out.
        first.Drag(centred.x0 + 300, centred.y0 + 5, centred.x0 + 300 - 1700, centred.y0 + 5 - 100);
        const Rect moved = first.WindowRect();
        ASSERT_EQ(moved, (Rect{-1140, 120, -340, 720}));
        first.Drag(moved.x1 - 1, moved.y1 - 1, moved.x1 + 99, moved.y1 + 49);
        placed = Rect{moved.x0, moved.y0, moved.x1 + 100, moved.y1 + 50};
        ASSERT_EQ(first.WindowRect(), placed);
        // Closed while maximised: the window-mode rectangle is what stays.
        first.frame.SetMaximized(true);
        first.frame.HandleGUIMessages();
        ASSERT_EQ(first.WindowRect(), kSecond.workArea);
        EXPECT_EQ(first.Close(), 0);
    }
    FrameRun second(settings);
    EXPECT_EQ(second.WindowRect(), placed);
    EXPECT_EQ(second.Close(), 0);
}

TEST(PlanoscopeMainFrame, ClosingStopsTheTimersAndRevokesTheDropTargetBeforeTheDocumentAndWindowGo)
{
    const TestSupport::TempFolder settings;
    auto drop = MakeShared<RecordingDropTarget>();
    FrameRun run(settings, drop);
    EXPECT_EQ(drop->registered, run.window);
    Function2<void()> tick;
    tick.ResetCallable([] {});
    run.frame.SetTimer(tick, 100);
    ASSERT_EQ(run.frame.TimerCount(), 1u);
    std::size_t timersAtRevoke = 99;
    bool documentAtRevoke = false, windowAtRevoke = false;
    drop->onRevoke = [&] {
        timersAtRevoke = run.frame.TimerCount();
        documentAtRevoke = run.frame.GetRootPanel() != nullptr;
        windowAtRevoke = run.platform->Window(run.window) != nullptr;
    };
    WeakPtr<PlanoscopeApplication> panel(run.frame.RootPanel());
    EXPECT_EQ(run.Close(), 0);
    EXPECT_EQ(drop->revoked, run.window);
    EXPECT_EQ(timersAtRevoke, 0u);
    EXPECT_TRUE(documentAtRevoke);
    EXPECT_TRUE(windowAtRevoke);
    EXPECT_TRUE(panel.Expired());
    EXPECT_TRUE(run.platform->Windows().empty());
}

} // namespace
} // namespace Brintavolex
