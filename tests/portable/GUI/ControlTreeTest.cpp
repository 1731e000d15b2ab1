#include "GUI/api/Control.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Layout.h"
#include "GUI/api/Panel.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Brintavolex::GUI {
namespace {

struct Leaf final : Control {
    void Draw() override { ++draws; }
    bool DeleteContextObjects() override { return true; }
    int draws = 0;
};

struct OnePanel {
    OnePanel()
    {
        panel = MakeShared<Panel>();
        panel->SetRect(500, 400, 700, 600);
        gui.SetRootPanel(panel);
    }
    GUI gui;
    SharedPtr<Panel> panel;
};

// Logs the keys it hears; consumes one.
template <class Base> struct KeyLogger final : Base {
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }
    bool OnKeyDown(std::uint32_t key, std::int64_t) override
    {
        log->push_back(this);
        return key == consumes;
    }
    std::vector<Control *> *log = nullptr;
    std::uint32_t consumes = 0;
};

// Hit tests, listeners and handlers that change the trees while they are
// called: the event routing fuzz (EventFuzzTest.cpp).
std::vector<Control *> Order(const ControlList &list) { return {list.Children().begin(), list.Children().end()}; }

TEST(ControlList, AddInsertsByIndexAndRefusesItself)
{
    EmptyWidget list;
    Leaf a, b, c, d;
    list.Add(a, -1);
    list.Add(b, -1);
    list.Add(c, 1);
    EXPECT_EQ(Order(list), (std::vector<Control *>{&a, &c, &b}));
    list.Add(d, 0);
    EXPECT_EQ(Order(list), (std::vector<Control *>{&d, &a, &c, &b}));
    EXPECT_EQ(Thrown([&] { list.Add(list); }), "ControlList::add");
    EXPECT_EQ(list.Count(), 4u);
    list.Remove(c);
    EXPECT_EQ(c.GetParent(), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(a.GetParent(), nullptr);
}

TEST(ControlList, DrawsOnlyChildrenThatOverlapInAnArea)
{
    EmptyWidget list;
    list.SetRect(100, 100, 200, 200);
    Leaf inside, touching, hidden;
    inside.SetRect(150, 150, 160, 160);
    touching.SetRect(50, 120, 100, 130); // x1 equals the list's x0
    hidden.SetRect(150, 150, 160, 160);
    hidden.SetVisible(false);
    list.Add(inside);
    list.Add(touching);
    list.Add(hidden);
    list.Draw();
    EXPECT_EQ(inside.draws, 1);
    EXPECT_EQ(touching.draws, 0);
    EXPECT_EQ(hidden.draws, 0);
}

TEST(WeakPtrControl, ExpiresOnDestructionAndOnDetach)
{
    OnePanel s;
    WeakPtr<Control> weak;
    {
        Leaf leaf;
        s.panel->Add(leaf);
        weak = WeakPtr<Control>(&leaf);
        WeakPtr<Control> copy = weak;
        EXPECT_EQ(copy.Get(), &leaf);
        s.panel->Remove(leaf);
        EXPECT_EQ(weak.Get(), nullptr) << "detaching expires every reference";
        EXPECT_EQ(copy.Get(), nullptr);
        s.panel->Add(leaf);
        WeakPtr<Control> fresh(&leaf);
        EXPECT_EQ(fresh.Get(), &leaf) << "a re-added control gets fresh references";
        weak = fresh;
    }
    EXPECT_EQ(weak.Get(), nullptr);
    EXPECT_TRUE(weak.Expired());
}

TEST(Keys, EscapeClicksTheCloseButtonOnlyAfterItsOwnPress)
{
    OnePanel s;
    auto popup = MakeShared<Panel>();
    popup->SetRect(0, 0, 100, 100);
    s.gui.AddPanel(popup);
    int rootClosed = 0, popupClosed = 0;
    Function2<void()> closeRoot, closePopup;
    closeRoot.ResetCallable([&] { ++rootClosed; });
    closePopup.ResetCallable([&] { ++popupClosed; });
    s.panel->SetCloseAction(closeRoot);
    popup->SetCloseAction(closePopup);

    // Escape pressed while the root panel is active, released after the popup became active.
    s.gui.OnMouseMove(510, 410);
    s.gui.OnMouseLButtonDown();
    s.gui.OnMouseLButtonUp();
    ASSERT_EQ(s.gui.GetActivePanel(), s.panel.Get());
    EXPECT_TRUE(s.gui.OnKeyDown(27, 0));
    s.gui.OnMouseMove(10, 10);
    s.gui.OnMouseLButtonDown();
    s.gui.OnMouseLButtonUp();
    ASSERT_EQ(s.gui.GetActivePanel(), popup.Get());
    EXPECT_TRUE(s.gui.OnKeyUp(27, 0));
    EXPECT_EQ(popupClosed, 0) << "the popup never saw the press";
    EXPECT_EQ(rootClosed, 0);

    // A repeated press does not arm; a proper press and release click once.
    EXPECT_TRUE(s.gui.OnKeyDown(27, std::int64_t(1) << 30));
    EXPECT_TRUE(s.gui.OnKeyUp(27, 0));
    EXPECT_EQ(popupClosed, 0);
    s.gui.OnKeyDown(27, 0);
    s.gui.OnKeyUp(27, 0);
    EXPECT_EQ(popupClosed, 1);
    EXPECT_FALSE(s.gui.OnKeyDown(65, 0)) << "other keys are not consumed";
}

TEST(Keys, GoToTheFocusedControlThenItsAncestors)
{
    OnePanel s;
    std::vector<Control *> log;
    KeyLogger<ControlList> group;
    KeyLogger<Control> leaf;
    group.log = leaf.log = &log;
    group.consumes = 66;
    leaf.consumes = 65;
    group.SetRect(0, 0, 100, 100);
    leaf.SetRect(10, 10, 20, 20);
    s.panel->Add(group);
    group.Add(leaf);
    s.gui.OnMouseMove(515, 415);
    s.gui.OnMouseLButtonDown();
    s.gui.OnMouseLButtonUp();
    ASSERT_EQ(s.panel->GetFocusedControl(), &leaf);
    EXPECT_TRUE(s.gui.OnKeyDown(65, 0));
    EXPECT_EQ(log, (std::vector<Control *>{&leaf}));
    log.clear();
    EXPECT_TRUE(s.gui.OnKeyDown(66, 0));
    EXPECT_EQ(log, (std::vector<Control *>{&leaf, &group}));
    log.clear();
    EXPECT_FALSE(s.gui.OnKeyDown(67, 0));
    EXPECT_EQ(log.size(), 2u);
}

TEST(Layouts, VerticalLayoutStacksCentresAndFills)
{
    VerticalLayoutControl layout;
    Leaf a, b, fill, hidden;
    a.SetRect(0, 0, 41, 20);
    b.SetRect(0, 0, 30, 10);
    fill.SetRect(0, 0, 20, 5);
    fill.SetFillFlag(true);
    hidden.SetRect(7, 7, 9, 9);
    hidden.SetVisible(false);
    layout.Add(a);
    layout.Add(hidden);
    layout.Add(fill);
    layout.Add(b);
    layout.SetRect(100, 50, 200, 150);
    layout.Build();
    EXPECT_EQ(a.GetRect(), (Rect{150 - 20, 50, 150 + 20, 70})); // width 41 halves toward zero
    EXPECT_EQ(fill.GetRect(), (Rect{140, 70, 160, 140}));       // 100 - (20 + 10) high
    EXPECT_EQ(b.GetRect(), (Rect{135, 140, 165, 150}));
    EXPECT_EQ(hidden.GetRect(), (Rect{7, 7, 9, 9}));
    EXPECT_FALSE(layout.NeedsLayout());
    hidden.SetVisible(false); // no change, no new layout
    EXPECT_FALSE(layout.NeedsLayout());

    // Showing a child marks the layout through the bound visibility callback.
    hidden.SetVisible(true);
    EXPECT_TRUE(layout.NeedsLayout());
    layout.SetStretch(true);
    layout.Build();
    EXPECT_EQ(a.GetRect(), (Rect{100, 50, 200, 70}));
    EXPECT_EQ(hidden.GetRect(), (Rect{100, 70, 200, 72}));

    // A removed child no longer calls the layout.
    layout.Remove(b);
    EXPECT_FALSE(static_cast<bool>(b.VisibilityCallback()));
}

TEST(Layouts, ChildOutlivingItsLayoutKeepsNoCallbackIntoIt)
{
    Leaf child;
    {
        Toolbar toolbar;
        toolbar.Add(child);
    }
    EXPECT_FALSE(static_cast<bool>(child.VisibilityCallback()));
    child.SetVisible(false); // would reach a destroyed toolbar otherwise
}

TEST(Layouts, ToolbarPlacesItemsInARow)
{
    Toolbar toolbar;
    toolbar.SetSpacing(2);
    Leaf a, b, rest;
    a.SetRect(0, 0, 20, 10);
    b.SetRect(0, 0, 30, 30);
    rest.SetFillFlag(true);
    rest.SetRect(0, 0, 0, 20);
    toolbar.Add(a);
    toolbar.Add(rest);
    toolbar.Add(b);
    toolbar.SetRect(0, 0, 200, 30);
    toolbar.Build();
    EXPECT_EQ(a.GetRect(), (Rect{2, 10, 22, 20}));
    EXPECT_EQ(rest.GetRect(), (Rect{24, 5, 24 + 200 - 58, 25}));
    EXPECT_EQ(b.GetRect().x1, 198);
}

} // namespace
} // namespace Brintavolex::GUI
