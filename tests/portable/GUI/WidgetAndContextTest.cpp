#include "GUI/api/Font.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Layout.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Widgets.h"
#include "Platform/api/Video/Software.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <set>

namespace Brintavolex::GUI {
namespace {

using Platform::Video::Software::SoftwareContext;

struct Desk {
    Desk()
    {
        panel = MakeShared<PanelWithTransparentTitle>();
        panel->SetRect(100, 100, 400, 300);
        panel->SetTitle("Titel", "Title");
        gui.SetRootPanel(panel);
        context = SoftwareContext::Create();
        gui.SetContext(context);
    }
    // Press and release at a panel-relative point.
    void Click(std::int32_t x, std::int32_t y)
    {
        gui.OnMouseMove(100 + x, 100 + y);
        gui.OnMouseLButtonDown();
        gui.OnMouseLButtonUp();
    }
    GUI gui;
    SharedPtr<PanelWithTransparentTitle> panel;
    SharedPtr<SoftwareContext> context;
};

struct Events {
    void CheckBoxClicked(CheckBox &) { ++checks; }
    void RadioClicked(RadioButton &) { ++radios; }
    void EditChanged(EditBox &) { ++edits; }
    void ListChanged(DropDownList &list) { chosen = list.GetSelectedIndex(); }
    int checks = 0, radios = 0, edits = 0, chosen = -2;
};

TEST(Widgets, CheckBoxClicksOncePerPressAndReleaseInside)
{
    Desk d;
    Events events;
    CheckBox box;
    box.SetRect(10, 40, 110, 60);
    box.OnClick().Reset(&Events::CheckBoxClicked, &events);
    d.panel->Add(box);
    d.Click(20, 50);
    EXPECT_TRUE(box.GetState());
    EXPECT_EQ(events.checks, 1);
    // Press, drag off, release: no click; the box keeps the pointer meanwhile.
    d.gui.OnMouseMove(120, 150);
    d.gui.OnMouseLButtonDown();
    d.gui.OnMouseMove(300, 250);
    EXPECT_EQ(d.panel->GetHotControl(), &box);
    d.gui.OnMouseLButtonUp();
    EXPECT_EQ(events.checks, 1);
    // Press, off and back on, release: one click.
    d.gui.OnMouseMove(120, 150);
    d.gui.OnMouseLButtonDown();
    d.gui.OnMouseMove(300, 250);
    d.gui.OnMouseMove(121, 151);
    d.gui.OnMouseLButtonUp();
    EXPECT_EQ(events.checks, 2);
    EXPECT_FALSE(box.GetState());
    // Space on the focused box.
    ASSERT_EQ(d.panel->GetFocusedControl(), &box);
    d.gui.OnKeyDown(32, 0);
    EXPECT_EQ(events.checks, 2);
    d.gui.OnKeyUp(32, 0);
    EXPECT_EQ(events.checks, 3);
    // Disabled: nothing.
    box.SetEnabled(false);
    d.Click(20, 50);
    d.gui.OnKeyDown(32, 0);
    d.gui.OnKeyUp(32, 0);
    EXPECT_EQ(events.checks, 3);
}

TEST(Widgets, RadioButtonsOfAGroupExcludeEachOther)
{
    Desk d;
    Events events;
    RadioButton a(1), b(1), other(2);
    a.SetRect(10, 30, 100, 50);
    b.SetRect(10, 50, 100, 70);
    other.SetRect(10, 70, 100, 90);
    for (RadioButton *r : {&a, &b, &other}) {
        r->OnClick().Reset(&Events::RadioClicked, &events);
        d.panel->Add(*r);
    }
    d.Click(20, 75);
    d.Click(20, 35);
    EXPECT_TRUE(a.GetState());
    EXPECT_TRUE(other.GetState());
    d.Click(20, 55);
    EXPECT_FALSE(a.GetState());
    EXPECT_TRUE(b.GetState());
    EXPECT_TRUE(other.GetState());
    EXPECT_EQ(events.radios, 3);
}

TEST(Widgets, EditBoxEditsCommitsAndRestores)
{
    Desk d;
    Events events;
    EditBox edit;
    edit.SetRect(10, 30, 150, 50);
    edit.SetText("ab");
    edit.OnChange().Reset(&Events::EditChanged, &events);
    d.panel->Add(edit);
    d.Click(20, 40);
    ASSERT_TRUE(edit.IsEditing());
    EXPECT_TRUE(d.gui.OnCharacter('c'));
    d.gui.OnKeyDown(37, 0); // left
    d.gui.OnKeyDown(8, 0);  // backspace removes the b
    EXPECT_EQ(edit.GetText(), String("ac"));
    EXPECT_EQ(events.edits, 2);
    // Escape restores and does not arm the panel's close button.
    int closed = 0;
    Function2<void()> close;
    close.ResetCallable([&] { ++closed; });
    d.panel->SetCloseAction(close);
    d.gui.OnKeyDown(27, 0);
    d.gui.OnKeyUp(27, 0);
    EXPECT_EQ(edit.GetText(), String("ab"));
    EXPECT_FALSE(edit.IsEditing());
    EXPECT_EQ(closed, 0);
    // A press elsewhere ends editing and keeps the text.
    d.Click(20, 40);
    d.gui.OnCharacter('x');
    d.Click(250, 150);
    EXPECT_FALSE(edit.IsEditing());
    EXPECT_EQ(edit.GetText(), String("abx"));
}

TEST(Widgets, DropDownListOpensChoosesAndCloses)
{
    Desk d;
    Events events;
    DropDownList list;
    list.SetRect(10, 30, 110, 50);
    list.SetEntries({String("Cubic"), String("Linear"), String("Nearest")});
    list.SetSelectedIndex(0);
    list.OnChange().Reset(&Events::ListChanged, &events);
    d.panel->Add(list);
    d.Click(20, 40);
    ASSERT_TRUE(list.IsOpen());
    const Rect open = list.GetListPanel()->GetRect();
    EXPECT_EQ(open, (Rect{110, 150, 210, 210})) << "below the list, in desktop pixels";
    // Choose the third entry in the open list's own panel.
    d.gui.OnMouseMove(130, 200);
    d.gui.OnMouseLButtonDown();
    d.gui.OnMouseLButtonUp();
    EXPECT_FALSE(list.IsOpen());
    EXPECT_EQ(events.chosen, 2);
    EXPECT_EQ(d.gui.Panels().size(), 1u);
    // Opened again, a press elsewhere closes it without a choice.
    events.chosen = -2;
    d.Click(20, 40);
    ASSERT_TRUE(list.IsOpen());
    d.Click(250, 150);
    EXPECT_FALSE(list.IsOpen());
    EXPECT_EQ(events.chosen, -2);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
}

TEST(Context, EveryRenderObjectIsReleasedBeforeTheContextDies)
{
    WeakPtr<Platform::Video::Context> weakContext;
    {
        Desk d;
        weakContext = WeakPtr<Platform::Video::Context>(SharedPtr<Platform::Video::Context>(d.context));
        VerticalLayoutControl column(true);
        CheckBox check;
        EditBox edit;
        DropDownList list;
        check.SetRect(0, 0, 0, 20);
        edit.SetRect(0, 0, 0, 20);
        list.SetRect(0, 0, 0, 20);
        check.SetText("Ja", "Yes");
        list.SetEntries({String("One"), String("Two")});
        list.SetSelectedIndex(1);
        column.Add(check);
        column.Add(edit);
        column.Add(list);
        column.SetRect(10, 30, 200, 100);
        d.panel->Add(column);
        EXPECT_TRUE(d.gui.PaintPanels()); // lays the column out
        d.Click(20, 80);                  // opens the list: a second panel
        ASSERT_TRUE(list.IsOpen());
        EXPECT_TRUE(d.gui.PaintPanels());
        // Panels, controls, fonts: vertex buffers, textures and renderers.
        EXPECT_GT(d.context->ChildCount(), 8u);
        {
            // Background, frames and the anti-aliased glyphs of the texts.
            const auto lock = d.panel->GetRenderer()->LockBackBuffer();
            std::set<std::uint32_t> colours;
            for (std::uint32_t y = 30; y < 100; ++y)
                for (std::uint32_t x = 10; x < 200; ++x)
                    colours.insert(reinterpret_cast<const std::uint32_t *>(lock.ReadBits() + y * lock.Pitch())[x]);
            EXPECT_GT(colours.size(), 8u);
        }
        d.context.Reset();
        EXPECT_TRUE(d.gui.DeleteContextObjects());
        EXPECT_TRUE(weakContext.Expired()) << "nothing holds the context once all objects are released";
        // Drawing again after a new context was set builds everything anew.
        auto second = SoftwareContext::Create();
        d.gui.SetContext(second);
        EXPECT_TRUE(d.gui.PaintPanels());
        EXPECT_GT(second->ChildCount(), 8u);
        EXPECT_TRUE(d.gui.DeleteContextObjects());
        EXPECT_EQ(second->ChildCount(), 0u);
    }
}

// Vertex colours from the reference scenes stay within 0..1 and a little beyond.
TEST(Context, VertexColoursClampNaNAndTheBufferIsChecked)
{
    auto buffer = SoftwareContext::Create()->CreateVertexBuffer2D(2);
    buffer->SetVertex(11, 0.f, 0.f, 2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f, 1.5f, 2.5f, 0.f);
    const Platform::Video::Vertex2D &v = buffer->Vertices()[11];
    EXPECT_EQ((std::array<int, 4>{v.r, v.g, v.b, v.a}), (std::array<int, 4>{255, 0, 0, 127}));
    EXPECT_THROW(buffer->SetVertex(12, 0.f, 0.f, 1.f, 1.f, 1.f, 1.f, 0, 0, 0), Exception);
    EXPECT_THROW(buffer->Render(2), Exception);
}

TEST(Fonts, LayoutUsesEachGlyphsOwnAdvance)
{
    FontDescription description;
    description.face = "Segoe UI";
    description.pixelHeight = 16;
    Font font(description, 1.0);
    EXPECT_GT(font.LineHeight(), 10);
    const std::int32_t narrow = font.TextWidth("iiiiiiii");
    const std::int32_t wide = font.TextWidth("WWWWWWWW");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, narrow * 2) << "proportional glyphs";
    EXPECT_EQ(font.TextWidth("Wi"), font.TextWidth("W") + font.TextWidth("i"));
    // Wide and narrow forms of the same text measure alike (Windows-1252 glyph set).
    EXPECT_EQ(font.TextWidth(u"Gr\u00FC\u00DFe"), font.TextWidth("Gr\xFC\xDF"
                                                                 "e"));
    // The atlas carries coverage for a visible glyph.
    const Font::GlyphPlacement &w = font.Glyph('W');
    ASSERT_GT(w.width, 0u);
    auto lock = font.Atlas()->LockConst<Data::ColorBGRA<std::uint8_t>>();
    int covered = 0;
    for (std::uint32_t y = 0; y < w.height; ++y)
        for (std::uint32_t x = 0; x < w.width; ++x)
            covered += lock(w.atlasX + x, w.atlasY + y).a > 128;
    EXPECT_GT(covered, 10);
    // Twice the scale, about twice the width.
    Font large(description, 2.0);
    EXPECT_NEAR(double(large.TextWidth("WWWWWWWW")) / wide, 2.0, 0.25);
}

} // namespace
} // namespace Brintavolex::GUI
