// Sliders and scroll bars driven through the GUI's pointer routing: knob
// sizes and steps, empty ranges and tracks shorter than the knob, and a
// property run of random drags, wheel turns and track presses.
#include "GUI/api/Button.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Slider.h"
#include "Platform/api/Video/Software.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace Brintavolex::GUI {
namespace {

using Platform::Video::Software::SoftwareContext;

constexpr std::int32_t kPanelX = 100, kPanelY = 100;

struct Desk {
    Desk()
    {
        panel = MakeShared<Panel>();
        panel->SetRect(kPanelX, kPanelY, kPanelX + 600, kPanelY + 400);
        gui.SetRootPanel(panel);
        gui.SetContext(SoftwareContext::Create());
    }
    void Move(std::int32_t x, std::int32_t y) { gui.OnMouseMove(kPanelX + x, kPanelY + y); }
    void Press(std::int32_t x, std::int32_t y)
    {
        Move(x, y);
        gui.OnMouseLButtonDown();
    }
    void Release() { gui.OnMouseLButtonUp(); }
    // Drags from a panel-relative point by (dx, dy) in steps.
    void Drag(std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy, int steps = 4)
    {
        Press(x, y);
        for (int i = 1; i <= steps; ++i)
            Move(x + dx * i / steps, y + dy * i / steps);
        Release();
    }
    void Wheel(std::int32_t x, std::int32_t y, std::int16_t delta)
    {
        gui.OnMouseWheel(std::uint64_t(std::uint16_t(delta)) << 16, PackPoint(kPanelX + x, kPanelY + y));
    }
    GUI gui;
    SharedPtr<Panel> panel;
};

std::int32_t CentreX(const Rect &r) { return r.x0 + r.Width() / 2; }
std::int32_t CentreY(const Rect &r) { return r.y0 + r.Height() / 2; }

struct Changes {
    void Changed() { ++changes; }
    void DragStarted() { ++drags; }
    int changes = 0, drags = 0;
};

TEST(Slider, KnobLengthStepsAndEndsFollowRangeAndPage)
{
    Desk d;
    SliderX slider;
    slider.SetRect(10, 10, 210, 30);
    d.panel->Add(slider);
    slider.SetRange(0, 100, 100);
    EXPECT_EQ(slider.GetKnobLength(), 100);
    slider.SetRange(0, 100, 1);
    EXPECT_EQ(slider.GetKnobLength(), 10);
    d.panel->SetScale(2.0);
    EXPECT_EQ(slider.GetKnobLength(), 20);
    d.panel->SetScale(1.0);

    // Dragging past the end leaves the position at the maximum, and back.
    Changes c;
    slider.OnChange().Reset(&Changes::Changed, &c);
    const Rect knob = slider.GetKnob().GetRect();
    d.Drag(CentreX(knob), CentreY(knob), 900, 40);
    EXPECT_EQ(slider.GetPosition(), 100);
    EXPECT_EQ(slider.GetKnob().GetRect().x1, 210);
    d.Drag(CentreX(slider.GetKnob().GetRect()), 20, -95, 0, 5);
    EXPECT_NEAR(slider.GetPosition(), 100 - 95 * 100.0 / 190, 1e-9);
    EXPECT_GE(c.changes, 2);

    // A press on the track outside the knob: the slider is the hot control
    // and the position moves a page towards the pointer.
    slider.SetRange(0, 100, 10);
    slider.SetPosition(50);
    d.Press(12, 20);
    EXPECT_EQ(d.panel->GetHotControl(), &slider);
    d.Release();
    EXPECT_EQ(slider.GetPosition(), 40);
    d.Wheel(100, 20, -240);
    EXPECT_EQ(slider.GetPosition(), 40 + 2 * 10 * 0.125);
}

TEST(ScrollBar, EndButtonsStepByAnEighthPageAndStopAtTheEnds)
{
    Desk d;
    ScrollBarX bar;
    bar.SetRect(10, 10, 310, 30); // end buttons of 20 pixels
    d.panel->Add(bar);
    bar.SetRange(0, 100, 40);
    bar.SetPosition(100);
    EXPECT_FALSE(bar.GetIncrementButton().IsEnabled());
    EXPECT_TRUE(bar.GetDecrementButton().IsEnabled());
    d.Press(15, 20);
    d.Release();
    EXPECT_EQ(bar.GetPosition(), 95);
    EXPECT_TRUE(bar.GetIncrementButton().IsEnabled());
    bar.SetPosition(1);
    d.Press(15, 20);
    d.Release();
    EXPECT_EQ(bar.GetPosition(), 0);
    EXPECT_FALSE(bar.GetDecrementButton().IsEnabled());
    d.Press(15, 20);
    d.Release();
    EXPECT_EQ(bar.GetPosition(), 0);

    // An empty range: knob and both buttons disabled.
    bar.SetRange(5, 5, 0);
    EXPECT_FALSE(bar.GetKnob().IsEnabled());
    EXPECT_FALSE(bar.GetIncrementButton().IsEnabled());
    EXPECT_FALSE(bar.GetDecrementButton().IsEnabled());

    // The pair: bars along the bottom and the right, the corner free.
    ScrollBars bars;
    d.panel->Add(bars);
    bars.SetRect(0, 100, 400, 400);
    const std::int32_t t = bars.Thickness();
    EXPECT_EQ(bars.X().GetRect(), (Rect{0, 400 - t, 400 - t, 400}));
    EXPECT_EQ(bars.Y().GetRect(), (Rect{400 - t, 100, 400, 400 - t}));
    EXPECT_FALSE(bars.AcceptsPoint(400 - t / 2, 400 - t / 2));
    EXPECT_FALSE(bars.AcceptsPoint(200, 200));
}

// Tiny tracks at any scale are left to the random run below.
TEST(Slider, EmptyRangesAndDisabledKnobsStayPut)
{
    Desk d;
    Changes c;
    // The initial state: minimum, maximum and page all 0.
    SliderX fresh;
    fresh.SetRect(10, 10, 210, 30);
    d.panel->Add(fresh);
    EXPECT_EQ(fresh.GetKnob().GetRect(), (Rect{10, 10, 210, 30}));
    d.Drag(100, 20, 60, 0);
    d.Wheel(100, 20, 120);
    EXPECT_EQ(fresh.GetPosition(), 0);

    // A disabled slider's knob does not start a drag.
    SliderX off;
    off.SetRect(10, 50, 210, 70);
    d.panel->Add(off);
    off.SetRange(0, 100, 10);
    off.OnDragStart().Reset(&Changes::DragStarted, &c);
    off.SetEnabled(false);
    const int drags = c.drags;
    const Rect knob = off.GetKnob().GetRect();
    d.Drag(CentreX(knob), CentreY(knob), 80, 0);
    d.Press(150, 60);
    d.Release();
    EXPECT_EQ(c.drags, drags);
    EXPECT_EQ(off.GetPosition(), 0);

    EXPECT_THROW(off.SetRange(0, std::nan(""), 1), std::invalid_argument);
    EXPECT_THROW(off.SetRange(5, 1, 1), std::invalid_argument);
    EXPECT_THROW(off.SetPosition(INFINITY), std::invalid_argument);
}

// Every kind of slider, random rectangles (tiny ones included), ranges
// (empty ones included) and scales, then thousands of random drags, wheel
// turns and presses: the position stays finite inside the range and the
// knob inside the track.
TEST(Slider, RandomInputKeepsPositionsFiniteAndInsideTheRange)
{
    std::mt19937 random(20240611);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(random); };

    Desk d;
    SliderX x;
    SliderY y;
    SliderXWithIsPosition is;
    ScrollBarX bx;
    ScrollBarY by;
    Slider *const sliders[] = {&x, &y, &is, &bx, &by};
    for (Slider *s : sliders)
        d.panel->Add(*s);
    auto reshape = [&](Slider &s, int index) {
        const std::int32_t x0 = 10 + 110 * index, y0 = 10;
        const bool tiny = integer(0, 3) == 0;
        const std::int32_t along = tiny ? integer(0, 12) : integer(13, 300);
        const std::int32_t across = integer(1, 30);
        if (s.IsVertical())
            s.SetRect(x0, y0, x0 + across, y0 + along);
        else
            s.SetRect(x0, y0, x0 + along, y0 + across);
        const int kind = integer(0, 3);
        const double lo = uniform(-1e6, 1e6);
        const double range = kind == 0 ? 0.0 : kind == 1 ? uniform(0, 1e-9) : uniform(0, 1e7);
        const double page = integer(0, 2) == 0 ? 0.0 : uniform(0, range * 2 + 1);
        s.SetRange(lo, lo + range, page);
    };

    int moved = 0;
    for (int round = 0; round < 4000; ++round) {
        if (round % 200 == 0) {
            const double scales[] = {0.5, 1.0, 1.25, 1.5, 2.0, 3.0};
            d.panel->SetScale(scales[integer(0, 5)]);
            for (int i = 0; i < 5; ++i)
                reshape(*sliders[i], i);
            d.gui.PaintPanels();
        }
        const int i = integer(0, 4);
        Slider &s = *sliders[i];
        const Rect r = s.GetRect();
        const Rect knob = s.GetKnob().GetRect();
        const double before = s.GetPosition();
        switch (integer(0, 3)) {
        case 0: // drag the knob, sometimes far off the track
            d.Drag(CentreX(knob), CentreY(knob), integer(-900, 900), integer(-900, 900), integer(1, 6));
            break;
        case 1: d.Wheel(CentreX(r), CentreY(r), std::int16_t(integer(-480, 480))); break;
        case 2: // a press anywhere on the control: track, knob or end button
            d.Press(integer(r.x0, std::max(r.x0, r.x1 - 1)), integer(r.y0, std::max(r.y0, r.y1 - 1)));
            d.Release();
            break;
        case 3:
            if (SliderXWithIsPosition *second = dynamic_cast<SliderXWithIsPosition *>(&s))
                second->SetIsPosition(uniform(-2e6, 2e6));
            else
                s.SetPosition(uniform(s.GetMinimum() - 10, s.GetMaximum() + 10));
            break;
        }
        moved += s.GetPosition() != before;
        for (Slider *t : sliders) {
            ASSERT_TRUE(std::isfinite(t->GetPosition())) << "round " << round;
            ASSERT_GE(t->GetPosition(), t->GetMinimum()) << "round " << round;
            ASSERT_LE(t->GetPosition(), t->GetMaximum()) << "round " << round;
            const std::int32_t k = t->GetKnobLength();
            ASSERT_GE(k, 0);
            ASSERT_LE(k, t->TrackLength());
            const Rect kr = t->GetKnob().GetRect(), tr = t->GetRect();
            ASSERT_TRUE(kr.x0 >= tr.x0 && kr.x1 <= tr.x1 && kr.y0 >= tr.y0 && kr.y1 <= tr.y1) << "round " << round;
        }
        ASSERT_GE(is.GetIsPosition(), is.GetMinimum());
        ASSERT_LE(is.GetIsPosition(), is.GetMaximum());
    }
    // The input really moved the controls.
    EXPECT_GT(moved, 1000);
    d.gui.PaintPanels();
}

// Widgets of every kind at odd scales and in rectangles down to nothing
// lay out and draw without throwing.
TEST(Widgets, LayOutAndDrawAtAnyScale)
{
    Desk d;
    Button button(TextPair{"Schaltfläche", "Button"});
    TransparentBackgroundButton bare(TextPair{"", "Bare"});
    Label label(TextPair{"Beschriftung", "Label"}, Label::AlignCentre);
    Separator line;
    ScrollBars bars;
    SliderXWithIsPosition slider;
    Control *const all[] = {&button, &bare, &label, &line, &bars, &slider};
    for (Control *c : all)
        d.panel->Add(*c);
    slider.SetRange(0, 10, 2);
    bars.X().SetRange(0, 1000, 100);
    for (double scale : {0.1, 0.5, 0.75, 1.0, 1.25, 1.75, 2.5, 4.0, 8.0}) {
        d.panel->SetScale(scale);
        for (std::int32_t size : {0, 1, 3, 17, 250}) {
            std::int32_t y = 0;
            for (Control *c : all) {
                c->SetRect(5, y, 5 + size, y + size / 4 + 1);
                y += size / 4 + 2;
            }
            bars.SetRect(300, 0, 300 + size, size);
            EXPECT_NO_THROW(d.gui.PaintPanels()) << "scale " << scale << ", size " << size;
            EXPECT_NO_THROW(label.GetRenderTextPositionX());
        }
    }
}

} // namespace
} // namespace Brintavolex::GUI
