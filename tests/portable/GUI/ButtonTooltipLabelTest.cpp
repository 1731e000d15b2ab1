// Buttons, tooltips and labels on the headless window host: click rules
// for pointer and keys, where tooltips land on a desk of two monitors, and
// labels that follow a language switch at the next frame.
#include "GUI/api/Button.h"
#include "GUI/api/Font.h"
#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Tooltip.h"
#include "Platform/api/Language.h"
#include "support/HeadlessDesk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

namespace M = WindowMessages;

constexpr std::uint32_t KeyReturn = 13, KeySpace = 32;

// Two monitors side by side; the left one has a task bar at its bottom.
struct Desk : TestSupport::HeadlessDesk<> {
    static constexpr Rect kLeftWork{0, 0, 1280, 984};
    static constexpr Rect kRightWork{1280, 0, 2560, 1024};

    explicit Desk(Rect rootRect = Rect{100, 50, 420, 290}, std::uint32_t rightDpi = 96)
    {
        platform->SetMonitors({{1, Rect{0, 0, 1280, 1024}, kLeftWork}, {2, kRightWork, kRightWork, rightDpi, rightDpi}});
        root->SetStyle(MakeShared<ViewerStyleWithOpaquePanelBackground>());
        Show(rootRect);
    }
    ~Desk()
    {
        gui.reset();
        Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
    }
};

struct Counter {
    void Pressed(Button &) { ++presses; }
    void Clicked(Button &) { ++clicks; }
    int presses = 0, clicks = 0;
};

TEST(Button, ClicksOnlyForAPressAndReleaseOnItAndForKeysThatWentDownOnIt)
{
    Desk d;
    Counter c;
    Button button(TextPair{"Los", "Go"});
    button.SetRect(20, 40, 120, 70);
    button.OnPress().Reset(&Counter::Pressed, &c);
    button.OnClick().Reset(&Counter::Clicked, &c);
    d.root->Add(button);

    d.Click(30, 50);
    EXPECT_EQ(c.presses, 1);
    EXPECT_EQ(c.clicks, 1);
    // Press, move off, release: the press ran, no click.
    d.Pointer(M::LButtonDown, 30, 50);
    d.Pointer(M::MouseMove, 200, 200);
    EXPECT_TRUE(button.IsPressed());
    d.Pointer(M::LButtonUp, 200, 200);
    EXPECT_EQ(c.presses, 2);
    EXPECT_EQ(c.clicks, 1);
    // Press, off and back on, release: one click.
    d.Pointer(M::LButtonDown, 30, 50);
    d.Pointer(M::MouseMove, 31, 51);
    d.Pointer(M::LButtonUp, 31, 51);
    EXPECT_EQ(c.clicks, 2);

    // Return on the focused button: the pressed look on key-down, one click on key-up.
    ASSERT_EQ(d.root->GetFocusedControl(), &button);
    d.Key(M::KeyDown, KeyReturn);
    EXPECT_TRUE(button.IsKeyDown());
    EXPECT_EQ(c.clicks, 2);
    d.Key(M::KeyUp, KeyReturn);
    EXPECT_EQ(c.clicks, 3);
    // A release whose key went down elsewhere (a dialog's Return) clicks nothing.
    d.Key(M::KeyUp, KeyReturn);
    d.Key(M::KeyUp, KeySpace);
    EXPECT_EQ(c.clicks, 3);
    // Space down, Return up: not one key stroke.
    d.Key(M::KeyDown, KeySpace);
    d.Key(M::KeyUp, KeyReturn);
    EXPECT_EQ(c.clicks, 3);
    d.Key(M::KeyUp, KeySpace);
    EXPECT_EQ(c.clicks, 4);
    // The key went down, then the focus left and came back: no click.
    Button other(TextPair{"Anderer", "Other"});
    other.SetRect(20, 80, 120, 110);
    d.root->Add(other);
    d.Key(M::KeyDown, KeyReturn);
    d.Click(30, 90);
    d.Click(30, 50);
    const int before = c.clicks;
    d.Key(M::KeyUp, KeyReturn);
    EXPECT_EQ(c.clicks, before);

    // Disabled: neither callback, by pointer or key.
    button.SetEnabled(false);
    const int presses = c.presses, clicks = c.clicks;
    d.Click(30, 50);
    d.Key(M::KeyDown, KeyReturn);
    d.Key(M::KeyUp, KeyReturn);
    EXPECT_EQ(c.presses, presses);
    EXPECT_EQ(c.clicks, clicks);
    // Not focusable: keys pass it by.
    button.SetEnabled(true);
    button.SetFocusable(false);
    d.Key(M::KeyDown, KeySpace);
    d.Key(M::KeyUp, KeySpace);
    EXPECT_EQ(c.clicks, clicks);
}

TEST(Button, DrawsItsPictureOverItsRectangle)
{
    Desk d;
    auto red = Data::CreateImage2D(Data::ColorType::BGRAUInt8);
    red->Allocate(8, 8);
    {
        auto lock = red->Lock<Data::ColorBGRA<std::uint8_t>>();
        for (std::uint64_t y = 0; y < 8; ++y)
            for (std::uint64_t x = 0; x < 8; ++x)
                lock.Row(y)[x] = Data::ColorBGRA<std::uint8_t>{0, 0, 255, 255};
    }
    TransparentBackgroundButton button;
    button.SetRect(40, 60, 72, 92);
    button.SetImage(red);
    button.SetImageScale(2, 2); // a 16 x 16 picture in the middle
    d.root->Add(button);
    d.gui->RequestRepaint();
    d.Pump();
    const auto isRed = [&](std::int32_t x, std::int32_t y) {
        return d.FrameByte(x, y, 0) == 0 && d.FrameByte(x, y, 1) == 0 && d.FrameByte(x, y, 2) == 255;
    };
    EXPECT_TRUE(isRed(56, 76) && isRed(49, 69));
    EXPECT_FALSE(isRed(46, 66));
}

TEST(Button, TwoStateButtonSwitchesBeforeItsCallbackAndNullImagesAreRefused)
{
    Desk d;
    struct Seen {
        void Clicked(Button &b) { states.push_back(static_cast<TwoStateButton &>(b).IsActive()); }
        std::vector<bool> states;
    } seen;
    TwoStateButton toggle;
    toggle.SetRect(20, 40, 60, 80);
    toggle.SetStateTooltips(TextPair{"Start", "Start"}, TextPair{"Halt", "Stop"});
    toggle.OnClick().Reset(&Seen::Clicked, &seen);
    d.root->Add(toggle);
    d.Click(30, 50);
    d.Click(30, 50);
    EXPECT_EQ(seen.states, (std::vector<bool>{true, false}));
    EXPECT_THROW(toggle.SetImages(nullptr, nullptr), std::invalid_argument);
}

// The rectangle the tooltip must get: below the button by 10 GUI pixels at
// the pointer, as wide as its text plus 8, one line plus 2 high, then moved
// (and where larger cut) into the work area.
Rect Expected(const Desk &d, const Button &b, std::int32_t pointerX, const std::string &text, const Rect &area)
{
    const double s = d.root->ScaleOrOne();
    SharedPtr<Font> font = d.root->GetFont(FontRole::Normal);
    const Rect p = d.root->GetRect();
    std::int32_t x0 = p.x0 + pointerX, y0 = p.y0 + b.GetRect().y1 + std::int32_t(10 * s);
    std::int32_t w = font->TextWidth(text.c_str()) + std::int32_t(8 * s);
    std::int32_t h = font->LineHeight() + 2 * std::int32_t(s);
    w = std::min(w, area.Width());
    h = std::min(h, area.Height());
    x0 = std::max(area.x0, std::min(x0, area.x1 - w));
    y0 = std::max(area.y0, std::min(y0, area.y1 - h));
    return Rect{x0, y0, x0 + w, y0 + h};
}

bool Inside(const Rect &r, const Rect &area)
{
    return r.x0 >= area.x0 && r.y0 >= area.y0 && r.x1 <= area.x1 && r.y1 <= area.y1;
}

TEST(Tooltip, LandsBelowTheButtonInsideTheWorkAreaOfTheMonitorUnderThePointer)
{
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    struct Case {
        const char *name;
        Rect root;        // desktop
        Rect button;      // panel-relative
        std::int32_t px;  // pointer, panel-relative
        std::string text;
        std::uint32_t rightDpi;
        Rect area;
    };
    const std::string longText(400, 'W');
    const Case cases[] = {
        {"above the task bar", {100, 800, 420, 980}, {20, 130, 120, 170}, 30, "Open file...", 96, Desk::kLeftWork},
        {"at the right edge", {900, 50, 1270, 290}, {300, 40, 360, 70}, 350, "Insert clipboard [Ctrl+V]", 96,
         Desk::kLeftWork},
        {"mostly on the left monitor, pointer on the right", {700, 50, 1400, 290}, {600, 40, 690, 70}, 650,
         "Print file", 96, Desk::kRightWork},
        {"mostly on the right monitor, pointer on the left", {1200, 900, 1900, 980}, {20, 40, 90, 70}, 30,
         "Print file", 96, Desk::kLeftWork},
        {"wider than the monitor", {1300, 50, 1700, 290}, {20, 40, 120, 70}, 30, longText, 96, Desk::kRightWork},
        {"at twice the scale by the bottom", {1400, 900, 1800, 1020}, {20, 60, 120, 100}, 30, "Zoom in [+]", 192,
         Desk::kRightWork},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Desk d(c.root, c.rightDpi);
        Button button(TextPair{"", ""});
        button.SetRect(c.button);
        button.SetTooltipTexts(TextPair{String(c.text.c_str()), String(c.text.c_str())});
        d.root->Add(button);
        d.Pump();
        d.Pointer(M::MouseMove, c.px, c.button.y0 + 5);
        const SharedPtr<Tooltip> &tip = button.GetTooltip();
        ASSERT_TRUE(tip->IsShown());
        EXPECT_EQ(tip->GetRect(), Expected(d, button, c.px, c.text, c.area));
        EXPECT_TRUE(Inside(tip->GetRect(), c.area));
        // Tooltips never take the pointer: a move over it reaches what lies below.
        EXPECT_EQ(d.gui->PanelAt(tip->GetRect().x0, tip->GetRect().y0).Get() == tip.Get(), false);
        d.Pointer(M::MouseMove, c.px, c.button.y1 + 30);
        EXPECT_FALSE(tip->IsShown());
    }
}

TEST(Tooltip, FollowsTheEnabledStateAndStaysAwayWithoutText)
{
    Locale::SetCurrentLanguage(Locale::EnumLanguage::German);
    Desk d;
    Button button(TextPair{"Drucken", "Print"});
    button.SetRect(20, 40, 120, 70);
    button.SetTooltipTexts(TextPair{"Datei drucken", "Print file"}, TextPair{"Bitte Datei öffnen", "Open a file"});
    d.root->Add(button);
    d.Pointer(M::MouseMove, 30, 50);
    ASSERT_TRUE(button.GetTooltip()->IsShown());
    EXPECT_EQ(button.GetTooltip()->GetLabel().GetText()[0].ToStdString(), "Datei drucken");
    d.Pointer(M::MouseMove, 300, 200);
    button.SetEnabled(false);
    d.Pointer(M::MouseMove, 30, 50);
    EXPECT_EQ(button.GetTooltip()->GetLabel().GetText()[1].ToStdString(), "Open a file");
    d.Pointer(M::MouseMove, 300, 200);
    button.SetTooltipTexts(TextPair{}, TextPair{});
    d.Pointer(M::MouseMove, 30, 50);
    EXPECT_FALSE(button.GetTooltip()->IsShown());
    // A button leaving the GUI takes its tooltip along.
    button.SetTooltipTexts(TextPair{"Datei drucken", "Print file"}, TextPair{"Datei drucken", "Print file"});
    d.Pointer(M::MouseMove, 300, 200);
    d.Pointer(M::MouseMove, 30, 50);
    ASSERT_TRUE(button.GetTooltip()->IsShown());
    d.root->Remove(button);
    EXPECT_FALSE(button.GetTooltip()->IsShown());
}

TEST(Label, ShowsTheTextOfTheLanguageInForceAtTheNextFrame)
{
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    Desk d;
    Label label(TextPair{"Helligkeit", "Wide English caption"}, Label::AlignRight);
    label.SetRect(10, 60, 300, 90);
    d.root->Add(label);
    d.gui->RequestRepaint();
    d.Pump();
    const std::vector<std::uint8_t> english = d.Frame();

    Locale::SetCurrentLanguage(Locale::EnumLanguage::German);
    d.platform->InvalidateWindow(d.Window());
    d.Pump();
    const std::vector<std::uint8_t> german = d.Frame();
    EXPECT_NE(german, english);
    // The same frame as a label that always had the German text.
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    label.SetText(TextPair{"Helligkeit", "Helligkeit"});
    d.platform->InvalidateWindow(d.Window());
    d.Pump();
    EXPECT_EQ(d.Frame(), german);

    label.SetAlignment(7);
    EXPECT_THROW(label.GetRenderTextPositionX(), Exception);
}

} // namespace
} // namespace Brintavolex::GUI
