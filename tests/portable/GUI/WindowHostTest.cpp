#include "GUI/api/Panel.h"
#include "Root/api/Exception.h"
#include "support/HeadlessDesk.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

namespace M = WindowMessages;

// Records what reaches it, with the coordinates it got.
struct Probe final : Control {
    Probe() { SetEnabled(true); }
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override
    {
        Log("move", x, y);
        return GetRect().Contains(x, y) || pressed ? this : nullptr;
    }
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override
    {
        Log("down", x, y);
        if (throwOnPress)
            throw Exception("Probe: press refused");
        pressed = true;
        return this;
    }
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override
    {
        Log("up", x, y);
        pressed = false;
        return this;
    }
    bool OnKeyDown(std::uint32_t key, std::int64_t) override
    {
        events.push_back("key" + std::to_string(key));
        return key != 27;
    }
    void OnScaleChanged() override { ++scaleChanges; }
    void Log(const std::string &what, std::int32_t x, std::int32_t y)
    {
        events.push_back(what + "@" + std::to_string(x) + "," + std::to_string(y));
    }
    std::vector<std::string> events;
    bool pressed = false;
    bool throwOnPress = false;
    int scaleChanges = 0;
};

// A root panel that counts the input no child takes.
struct RootPanel final : PanelWithTransparentTitle {
    void OnOwnMouseLButtonDown(std::int32_t x, std::int32_t y) override
    {
        own.push_back(std::to_string(x) + "," + std::to_string(y));
        PanelWithTransparentTitle::OnOwnMouseLButtonDown(x, y);
    }
    void OnBlink() override { ++blinks; }
    void OnTick() override { ++ticks; }
    std::vector<std::string> own;
    int blinks = 0, ticks = 0;
};

struct Host : TestSupport::HeadlessDesk<GUI, RootPanel> {
    explicit Host(const std::function<void(HeadlessWindowPlatform &)> &setup = {})
    {
        if (setup)
            setup(*platform);
        root->SetStyle(MakeShared<ViewerStyleWithOpaquePanelBackground>());
        root->SetTitle("Titel", "Title");
        probe.SetRect(20, 40, 120, 140); // panel-relative
        root->Add(probe);
        Show(Rect{100, 50, 420, 290});
    }
    ~Host() { gui.reset(); }
    const HeadlessWindowPlatform::FakeWindow &FakeWindow() const { return *platform->Window(Window()); }
    // Queues pointer input as the window procedure does, without draining it.
    void Queue(std::uint32_t message, std::int32_t clientX, std::int32_t clientY)
    {
        platform->Send(Window(), message, 0, PackPoint(clientX, clientY));
    }
    Probe probe;
};

TEST(WindowHost, ShowCreatesTheRootWindowAndPaintsItThroughAnUpdateRegion)
{
    Host h;
    const auto &w = h.FakeWindow();
    EXPECT_TRUE(w.visible && w.systemWindow && !w.layered);
    EXPECT_EQ(w.rect, (Rect{100, 50, 420, 290}));
    EXPECT_EQ(w.title.ToStdString(), "Title");
    EXPECT_EQ(h.platform->ActiveWindow(), h.Window());
    EXPECT_EQ(w.paintMessages, 1u);
    const auto &frames = h.platform->Frames(h.Window());
    EXPECT_EQ(frames.Width(), 320u);
    EXPECT_EQ(frames.Height(), 240u);
    EXPECT_EQ(frames.PresentCount(), 1u);

    // A repaint request is served after the pending input, with the whole
    // window invalid: nothing of the frame is clipped away.
    for (int i = 0; i < 3; ++i) {
        h.root->SetRect(100, 50, 420 + i, 290);
        h.platform->Post(h.Window(), M::RefreshPointer, 0, 0);
        h.Pump();
    }
    EXPECT_EQ(h.FakeWindow().paintMessages, 4u);
    EXPECT_EQ(h.FakeWindow().clippedFrames, 0u);
    EXPECT_EQ(frames.PresentCount(), 4u);
    EXPECT_EQ(frames.Width(), 322u);
    // Idle: no paint without a request.
    h.platform->Post(h.Window(), M::RefreshPointer, 0, 0);
    h.Pump();
    EXPECT_EQ(h.FakeWindow().paintMessages, 4u);
    // A paint of the system's own (a window uncovered) draws too.
    h.platform->InvalidateWindow(h.Window());
    h.Pump();
    EXPECT_EQ(frames.PresentCount(), 5u);
    EXPECT_EQ(h.FakeWindow().clippedFrames, 0u);
}

TEST(WindowHost, PressAndReleaseBetweenPaintsArriveInOrderEachAfterItsPosition)
{
    Host h;
    // Client (30, 50) is desktop (130, 100), panel-relative (30, 50).
    h.Queue(M::MouseMove, 30, 50);
    h.Queue(M::LButtonDown, 32, 52);
    h.Queue(M::LButtonUp, 40, 60);
    EXPECT_EQ(h.gui->PendingInputCount(), 3u);
    EXPECT_TRUE(h.probe.events.empty());
    h.gui->HandleGUIMessages();
    h.platform->InjectKey(h.Window(), M::KeyDown, 65);
    h.Pump();
    const std::vector<std::string> expected{"move@30,50", "move@32,52", "down@32,52",
                                            "move@40,60", "up@40,60",   "key65"};
    EXPECT_EQ(h.probe.events, expected);
    EXPECT_FALSE(h.gui->LeftButtonDown());
    EXPECT_EQ(h.gui->LastX(), 140);
    EXPECT_EQ(h.gui->LastY(), 110);
    // The press captured the pointer and the release gave it back.
    EXPECT_EQ(h.platform->Capture(), 0u);
    EXPECT_EQ(h.gui->PendingInputCount(), 0u);
    // Moves to the position of the last one are dropped.
    for (std::int32_t x : {50, 50, 51, 51})
        h.Queue(M::MouseMove, x, 60);
    h.gui->HandleGUIMessages();
    EXPECT_EQ(std::vector<std::string>(h.probe.events.end() - 2, h.probe.events.end()),
              (std::vector<std::string>{"move@50,60", "move@51,60"}));
    EXPECT_EQ(h.probe.events.size(), expected.size() + 2);
}

TEST(WindowHost, TheRootPanelTakesTheClicksNoChildTakesAndOtherPanelsStayAbove)
{
    Host h;
    auto other = MakeShared<Panel>();
    other->SetRect(300, 200, 380, 260);
    h.gui->AddPanel(other);
    EXPECT_EQ(other->GetParent(), h.root.Get());
    // On the root's own area.
    h.platform->InjectPointer(h.Window(), M::LButtonDown, 250, 100);
    h.Pointer(M::LButtonUp, 250, 100);
    EXPECT_EQ(h.root->own, (std::vector<std::string>{"250,100"}));
    // The press brought the root panel forward, yet the other panel is hit.
    EXPECT_EQ(h.gui->PanelAt(310, 210), other);
    EXPECT_EQ(h.gui->PanelAt(110, 60), h.root);
    // The other panel got a layered window of its own at the first paint.
    const WindowHandle otherWindow = h.gui->WindowOf(*other);
    ASSERT_NE(otherWindow, 0u);
    EXPECT_TRUE(h.platform->Window(otherWindow)->layered);
    EXPECT_EQ(h.platform->Window(otherWindow)->owner, h.Window());
    EXPECT_EQ(other->GetWindowKind(), PanelWindowKind::OwnGUIWindow);
    // Clicking it leaves the keyboard with the root window.
    bool handled = true;
    EXPECT_EQ(h.gui->WindowProcedure(otherWindow, M::MouseActivate, 0, 0, handled), MouseActivateNoActivate);
    EXPECT_EQ(h.platform->ActiveWindow(), h.Window());
    // Removing the panel takes its window along.
    h.gui->RemovePanel(*other);
    EXPECT_EQ(h.platform->Window(otherWindow), nullptr);
}

TEST(WindowHost, DraggingTheTitleMovesTheWindowAndTheAttachedPanels)
{
    Host h;
    auto attached = MakeShared<Panel>();
    attached->SetRect(150, 100, 200, 150);
    h.gui->AddPanel(attached);
    h.Pump();
    const WindowHandle window = h.Window();
    h.Pointer(M::LButtonDown, 200, 5);
    EXPECT_TRUE(h.root->IsMoving());
    // The window follows at each paint; client coordinates follow the window.
    h.Pointer(M::MouseMove, 230, 25);
    EXPECT_EQ(h.root->GetRect(), (Rect{130, 70, 450, 310}));
    EXPECT_EQ(h.FakeWindow().rect, (Rect{130, 70, 450, 310}));
    h.platform->InjectPointer(window, M::MouseMove, 210, 5); // desktop (340, 75)
    h.Pointer(M::LButtonUp, 210, 5);
    EXPECT_FALSE(h.root->IsMoving());
    EXPECT_EQ(h.root->GetRect(), (Rect{140, 70, 460, 310}));
    EXPECT_EQ(h.FakeWindow().rect, h.root->GetRect());
    EXPECT_EQ(attached->GetRect(), (Rect{190, 120, 240, 170}));
    EXPECT_EQ(h.platform->Window(h.gui->WindowOf(*attached))->rect, attached->GetRect());
    EXPECT_TRUE(h.probe.events.empty()); // the drag never reached the content
    // Moved by the system: the panels follow the window.
    h.platform->MoveWindowTo(window, Rect{0, 0, 320, 240});
    EXPECT_EQ(h.root->GetRect(), (Rect{0, 0, 320, 240}));
    EXPECT_EQ(attached->GetRect(), (Rect{50, 50, 100, 100}));
}

struct Ticker {
    void Tick() { ++ticks; }
    void Other() { ++others; }
    int ticks = 0, others = 0;
};

TEST(WindowHost, TimersRepeatRestartAndStopByTheirCallback)
{
    Host h;
    Ticker t;
    Function2<void()> tick;
    tick.Reset(&Ticker::Tick, &t);
    Function2<void()> other;
    other.Reset(&Ticker::Other, &t);
    h.gui->SetTimer(tick, 100);
    h.gui->SetTimer(tick, 100); // the same callback: still one timer
    h.gui->SetTimer(other, 250);
    EXPECT_EQ(h.gui->TimerCount(), 2u);
    EXPECT_EQ(h.platform->Timers().size(), 2u);
    for (int i = 0; i < 5; ++i) {
        h.platform->Advance(100);
        h.Pump();
    }
    EXPECT_EQ(t.ticks, 5);
    EXPECT_EQ(t.others, 2);
    // The system keeps one waiting message per timer.
    h.platform->Advance(1000);
    h.Pump();
    EXPECT_EQ(t.ticks, 6);
    // Restart with another interval: counted from now.
    h.platform->Advance(30);
    h.gui->SetTimer(tick, 40);
    EXPECT_EQ(h.gui->TimerCount(), 2u);
    h.platform->Advance(39);
    h.Pump();
    EXPECT_EQ(t.ticks, 6);
    h.platform->Advance(1);
    h.Pump();
    EXPECT_EQ(t.ticks, 7);
    // Stop: the entry goes, a message already waiting is ignored.
    h.platform->Advance(40);
    h.gui->SetTimer(tick, 0);
    EXPECT_EQ(h.gui->TimerCount(), 1u);
    h.Pump();
    h.platform->Advance(400);
    h.Pump();
    EXPECT_EQ(t.ticks, 7);
    // Unknown ids are ignored.
    h.gui->OnTimer(9999);
    EXPECT_FALSE(h.platform->Ended());
    // Blink and tick subscribers.
    h.gui->AddBlinkSubscriber(h.root);
    h.gui->AddTickSubscriber(h.root);
    h.platform->Advance(530);
    h.Pump();
    EXPECT_EQ(h.root->blinks, 1);
    h.platform->Advance(470);
    h.Pump();
    EXPECT_EQ(h.root->ticks, 1);
    h.platform->Post(0, M::Tick, 0, 0);
    h.Pump();
    EXPECT_EQ(h.root->ticks, 2);
    h.gui->RemoveBlinkSubscriber(*h.root);
    h.gui->RemoveTickSubscriber(*h.root);
    EXPECT_EQ(h.platform->Timers().size(), 1u);
}

TEST(WindowHost, RunServesTimersUntilTheWindowClosesAndReturnsTheExitCode)
{
    Host h;
    int calls = 0;
    Function2<void()> f;
    f.ResetCallable([&] {
        if (++calls == 3)
            h.gui->Close();
    });
    h.gui->SetTimer(f, 250);
    const SharedPtr<Platform::Video::Context> context = h.gui->GetContext();
    EXPECT_EQ(h.gui->Run(), 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(h.platform->Now(), 750u);
    // The close released every render object while the panels were attached.
    EXPECT_EQ(context->ChildCount(), 0u);
    EXPECT_EQ(h.gui->GetContext(), nullptr);
    EXPECT_TRUE(h.platform->Windows().empty());
    EXPECT_FALSE(h.platform->ClassRegistered());
    EXPECT_EQ(h.root->GetGUI(), nullptr);
}

TEST(WindowHost, ExceptionsInTimersAndInRoutedInputAreReportedAndEndTheRun)
{
    {
        Host h;
        Function2<void()> empty; // no callback bound: nothing to call
        h.gui->SetTimer(empty, 10);
        EXPECT_EQ(h.gui->Run(), -1);
        EXPECT_NE(h.platform->EndText().ToStdString().find("Function is nullptr"), std::string::npos);
        EXPECT_NE(h.platform->EndText().ToStdString().find("message 275"), std::string::npos);
    }
    {
        Host h;
        h.probe.throwOnPress = true;
        h.platform->InjectPointer(h.Window(), M::LButtonDown, 30, 50);
        EXPECT_EQ(h.gui->Run(), -1);
        EXPECT_NE(h.platform->EndText().ToStdString().find("Probe: press refused"), std::string::npos);
        EXPECT_NE(h.platform->EndText().ToStdString().find("message 513"), std::string::npos);
    }
}

TEST(WindowHost, AFailingMessageFetchEndsTheLoopWithTheSystemError)
{
    Host h;
    h.platform->FailNextMessageFetch(1400);
    try {
        h.gui->Run();
        FAIL() << "no exception";
    } catch (const SystemErrorException &e) {
        EXPECT_EQ(e.ErrorCode(), 1400u);
        EXPECT_EQ(e.Operation().ToStdString(), "GetMessageW");
    }
    // Nothing to wait for at all fails the same way instead of spinning.
    Host idle;
    EXPECT_THROW(idle.gui->Run(), SystemErrorException);
}

TEST(WindowHost, DpiChangesRescaleThePanelsOfTheirMonitorAndUnequalValuesAreRefused)
{
    Host h;
    MonitorInfo left, right;
    left.id = 1;
    left.area = left.workArea = Rect{0, 0, 1280, 1024};
    right.id = 2;
    right.area = right.workArea = Rect{1280, 0, 2560, 1024};
    right.dpiX = right.dpiY = 192;
    h.platform->SetMonitors({left, right});
    auto far = MakeShared<Panel>();
    far->SetRect(1400, 100, 1500, 200);
    h.gui->AddPanel(far);
    h.Pump();
    EXPECT_EQ(h.root->GetScale(), 1.0);
    EXPECT_EQ(far->GetScale(), 2.0);
    EXPECT_EQ(far->GetWorkArea(), right.workArea);

    h.platform->ChangeDpi(1, 144, 144);
    EXPECT_EQ(h.root->GetScale(), 1.5);
    EXPECT_EQ(h.probe.scaleChanges, 1);
    EXPECT_EQ(far->GetScale(), 2.0);
    h.Pump();
    EXPECT_EQ(h.root->GetScale(), 1.5);

    h.platform->ChangeDpi(1, 120, 96);
    h.Pump();
    EXPECT_FALSE(h.platform->Ended());
    EXPECT_EQ(h.root->GetScale(), 1.5);
    EXPECT_EQ(h.probe.scaleChanges, 1);
    EXPECT_EQ(Thrown([&] { h.gui->OnDPIChanged(1, 96, 120); }),
              "GUI::OnDPIChanged: horizontal and vertical dpi must be equal");
}

TEST(WindowHost, TitleColoursFollowTheColorizationAndTheActivation)
{
    // Blue 0x0078D7 at a balance of 80 %: channel c * 0.8 + 0.2 * 217 / 255.
    // (Vertex colours become bytes by truncation.)
    const auto expected = [](double c) { return std::uint8_t(float(c / 255.0 * 0.8 + 0.2 * 0.8509804) * 255.0f); };
    {
        Host h([](HeadlessWindowPlatform &p) { p.SetColorization(Colorization{0xFF0078D7u, 80}); });
        ASSERT_TRUE(h.gui->HasTitleColors());
        // Title line at panel-relative (300, 2), far from the title text.
        EXPECT_EQ(h.FrameByte(300, 2, 2), expected(0x00));
        EXPECT_EQ(h.FrameByte(300, 2, 1), expected(0x78));
        EXPECT_EQ(h.FrameByte(300, 2, 0), expected(0xD7));
        h.platform->Activate(h.Window(), false);
        h.Pump();
        EXPECT_FALSE(h.gui->IsRootWindowActive());
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(h.FrameByte(300, 2, c), 235);
        h.platform->Activate(h.Window(), true);
        h.Pump();
        EXPECT_EQ(h.FrameByte(300, 2, 2), expected(0x00));
    }
    {
        // High contrast: the style's colours stay.
        auto platform = MakeShared<HeadlessWindowPlatform>();
        platform->SetColorization(Colorization{0xFF0078D7u, 80});
        platform->SetHighContrast(true);
        GUI gui(platform);
        gui.ReadTitleColors();
        EXPECT_FALSE(gui.HasTitleColors());
    }
}

TEST(WindowHost, AModalWindowTakesThePointerAndFlashesWhenOthersAreClicked)
{
    Host h;
    auto dialog = MakeShared<Panel>();
    dialog->SetRect(150, 100, 250, 200);
    h.gui->AddPanel(dialog);
    h.Pump();
    const WindowHandle dialogWindow = h.gui->WindowOf(*dialog);
    h.gui->SetModalWindow(dialogWindow);
    h.Pointer(M::MouseMove, 30, 50);
    EXPECT_TRUE(h.probe.events.empty());
    bool handled = false;
    EXPECT_EQ(h.gui->WindowProcedure(h.Window(), M::MouseActivate, 0, 0, handled), MouseActivateNoActivateAndEat);
    EXPECT_EQ(h.platform->FlashCountSeen(), 3u);
    EXPECT_EQ(h.platform->FlashIntervalSeen(), 530u / 8);
    h.gui->SetModalWindow(0);
    h.Pointer(M::MouseMove, 30, 50);
    EXPECT_EQ(h.probe.events.size(), 1u);
}

TEST(WindowHost, AModalPanelLeavesThePointerToThePopupsAboveIt)
{
    Host h;
    Probe inPopup;
    auto dialog = MakeShared<Panel>(), popup = MakeShared<Panel>();
    dialog->SetRect(150, 100, 250, 200);
    popup->SetRect(300, 60, 400, 160); // over the root window, beside the dialog
    inPopup.SetRect(0, 0, 100, 100);
    popup->Add(inPopup);
    h.gui->AddPanel(dialog);
    h.gui->SetModalPanel(dialog.Get());
    h.gui->AddPanel(popup);
    h.Pump();
    h.platform->InjectPointer(h.Window(), M::MouseMove, 30, 50);
    h.platform->InjectPointer(h.gui->WindowOf(*popup), M::MouseMove, 10, 20);
    h.Pump();
    EXPECT_TRUE(h.probe.events.empty());
    EXPECT_EQ(inPopup.events, std::vector<std::string>{"move@10,20"});
    bool handled = false;
    EXPECT_EQ(h.gui->WindowProcedure(h.Window(), M::MouseActivate, 0, 0, handled), MouseActivateNoActivateAndEat);
    // A panel below the modal one is blocked like the main window.
    h.gui->BringToFront(*dialog);
    h.platform->InjectPointer(h.gui->WindowOf(*popup), M::MouseMove, 11, 20);
    h.Pump();
    EXPECT_EQ(inPopup.events.size(), 1u);
    // A modal panel that left the GUI blocks nothing.
    h.gui->RemovePanel(*dialog);
    h.Pointer(M::MouseMove, 30, 50);
    EXPECT_EQ(h.probe.events.size(), 1u);
    h.gui->RemovePanel(*popup);
}

TEST(WindowHost, PostedTasksRunOnTheGuiThreadAndRefreshThePointer)
{
    Host h;
    h.Pointer(M::MouseMove, 30, 50);
    int ran = 0;
    h.platform->PostTask(h.Window(), [&] {
        ++ran;
        h.probe.SetRect(0, 0, 10, 10); // the layout changed under the pointer
    });
    h.Pump();
    EXPECT_EQ(ran, 1);
    // RefreshPointer re-ran the move: the probe lost the pointer.
    EXPECT_EQ(h.probe.events, (std::vector<std::string>{"move@30,50", "move@30,50"}));
    EXPECT_EQ(h.root->GetHotControl(), nullptr);
    // The pointer leaving for another program's window clears the hover.
    h.platform->InjectLeave(h.Window(), 900, 900);
    h.Pump();
    EXPECT_EQ(h.gui->GetHoveredPanel(), nullptr);
}

} // namespace
} // namespace Brintavolex::GUI
