// Model-based fuzzing of the event routing: random control trees in two
// panels, random pointer and key sequences, and handlers that insert,
// remove, hide and destroy controls (themselves included) while an event is
// being delivered. Under AddressSanitizer a callback that reaches a destroyed
// control fails the run; the model checks hits, clicks and focus.

#include "GUI/api/Control.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

struct World;

// What the handlers saw, in order; 'A' is a change of the trees.
struct Record {
    char kind; // 'A'ction, 'D'own, 'U'p, 'C'lick, 'K'ey, release 'T'aken by a listener
    int id;
};

// Runs a random change of the trees (often of the control being called),
// then hands back what the handler answers: nothing of the control may be
// touched after the change.
template <class R> R ActThen(World &world, Control *self, R result);

// A leaf with button semantics: keeps the pointer while pressed, clicks on a
// release inside after a press.
struct Probe final : Control {
    Probe(World &world, int id) : world(world), id(id) { SetEnabled(true); }
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }
    Control *OnMouseEnter(std::int32_t, std::int32_t) override
    {
        hovered = true;
        return ActThen<Control *>(world, this, this);
    }
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override
    {
        hovered = GetRect().Contains(x, y);
        return ActThen<Control *>(world, this, hovered || pressed ? this : nullptr);
    }
    Control *OnMouseLButtonDown(std::int32_t, std::int32_t) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override
    {
        pressed = hovered = false;
        return ActThen(world, this, 0);
    }
    Control *OnSetFocus() override
    {
        focused = true;
        return ActThen<Control *>(world, this, this);
    }
    int OnKillFocus() override
    {
        focused = false;
        return ActThen(world, this, 0);
    }
    bool OnKeyDown(std::uint32_t, std::int64_t) override;
    int MouseLButtonDownNotify(std::int32_t, std::int32_t) override { return ActThen(world, this, 0); }
    int MouseLButtonUpNotify(std::int32_t, std::int32_t) override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override
    {
        if (!gui) {
            pressed = hovered = focused = false;
            ++generation;
        }
        Control::SetParent(parent, panel, gui);
    }

    World &world;
    int id;
    bool pressed = false, hovered = false, focused = false;
    int generation = 0; // counts detaches
};

// A container; never a target by itself.
struct Box final : ControlList {
    explicit Box(int id) : id(id) { SetEnabled(true); }
    int id;
};

struct World {
    explicit World(unsigned seed) : rng(seed)
    {
        for (int i = 0; i < 2; ++i)
            panels[i] = MakeShared<Panel>();
        panels[0]->SetRect(0, 0, 400, 300);
        panels[1]->SetRect(100, 80, 300, 220);
        gui.SetRootPanel(panels[0]);
        gui.AddPanel(panels[1]);
        for (int i = 0; i < 40; ++i)
            AddRandomControl();
    }
    ~World()
    {
        acting = 1000; // no changes while tearing down
        owned.clear();
    }

    int Random(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(int percent) { return Random(100) < percent; }

    // Inside a box's rectangle, or anywhere in a panel (with some overhang).
    Rect RandomRectIn(const ControlList &into)
    {
        if (dynamic_cast<const Panel *>(&into)) {
            const int x0 = Random(into.GetRect().Width()) - 10, y0 = Random(into.GetRect().Height()) - 10;
            return Rect{x0, y0, x0 + 10 + Random(120), y0 + 10 + Random(90)};
        }
        const Rect b = into.GetRect();
        const int w = std::max(b.Width(), 2), h = std::max(b.Height(), 2);
        const int x0 = b.x0 + Random(w), y0 = b.y0 + Random(h);
        return Rect{x0, y0, x0 + 3 + Random(w), y0 + 3 + Random(h)};
    }

    // A panel or an attached box.
    ControlList *RandomContainer()
    {
        if (Chance(70))
            return Chance(65) ? panels[0].Get() : panels[1].Get();
        std::vector<ControlList *> lists{panels[0].Get(), panels[1].Get()};
        for (auto &[id, control] : owned)
            if (auto *box = dynamic_cast<Box *>(control.get()); box && box->GetPanel())
                lists.push_back(box);
        return lists[std::size_t(Random(int(lists.size())))];
    }

    Control *RandomOwned()
    {
        return owned.empty() ? nullptr : std::next(owned.begin(), Random(int(owned.size())))->second.get();
    }

    void Attach(Control &c, ControlList &into)
    {
        if (&into == &c || into.IsDescendantOf(&c))
            return;
        c.SetRect(RandomRectIn(into));
        into.Add(c, Chance(50) ? -1 : Random(int(into.Count()) + 1));
    }

    void AddRandomControl()
    {
        const int id = nextId++;
        std::unique_ptr<Control> control;
        if (Chance(15))
            control = std::make_unique<Box>(id);
        else
            control = std::make_unique<Probe>(*this, id);
        Control &c = *control;
        owned.emplace(id, std::move(control));
        Attach(c, *RandomContainer());
        if (auto *probe = dynamic_cast<Probe *>(&c); probe && Chance(15))
            Listen(*probe);
    }

    void Listen(Probe &probe)
    {
        Chance(50) ? gui.AddMouseLButtonDownListener(probe) : gui.AddMouseLButtonUpListener(probe);
    }

    // One random change of the trees, run from inside event handlers.
    void MaybeAct(Control *self = nullptr)
    {
        if (acting > 1 || !Chance(actPercent))
            return;
        log.push_back({'A', 0});
        ++acting;
        Control *c = self && Chance(30) ? self : RandomOwned();
        const int what = Random(9);
        if (!c && what != 5) {
        } else if (what == 0) { // destroy
            owned.erase(IdOf(*c));
        } else if (what == 1) {
            if (auto *list = dynamic_cast<ControlList *>(c->GetParent()))
                list->Remove(*c);
        } else if (what == 2) { // (re)attach somewhere
            Attach(*c, *RandomContainer());
        } else if (what == 3) {
            c->SetVisible(c->IsVisible() ? !Chance(40) : true);
        } else if (what == 4) {
            c->SetEnabled(c->IsEnabled() ? !Chance(40) : true);
        } else if (what == 5) {
            if (owned.size() < 80)
                AddRandomControl();
        } else if (what == 6) { // focus a random control of its panel
            if (Panel *p = c->GetPanel())
                p->SetFocus(c);
        } else if (what == 7) {
            if (auto *list = dynamic_cast<ControlList *>(c->GetParent()))
                c->SetRect(RandomRectIn(*list));
        } else if (auto *probe = dynamic_cast<Probe *>(c)) {
            Listen(*probe);
        }
        --acting;
    }

    static int IdOf(Control &c)
    {
        if (auto *p = dynamic_cast<Probe *>(&c))
            return p->id;
        return static_cast<Box &>(c).id;
    }

    Probe *FindProbe(int id)
    {
        auto it = owned.find(id);
        return it == owned.end() ? nullptr : dynamic_cast<Probe *>(it->second.get());
    }

    bool Acted() const
    {
        return std::any_of(log.begin(), log.end(), [](const Record &r) { return r.kind == 'A'; });
    }

    std::mt19937 rng;
    GUI gui;
    SharedPtr<Panel> panels[2];
    std::map<int, std::unique_ptr<Control>> owned;
    std::vector<Record> log;
    int nextId = 1;
    int acting = 0;
    int actPercent = 4;
};

template <class R> R ActThen(World &world, Control *self, R result)
{
    world.MaybeAct(self);
    return result;
}

Control *Probe::OnMouseLButtonDown(std::int32_t, std::int32_t)
{
    world.log.push_back({'D', id});
    pressed = IsEnabled();
    return ActThen<Control *>(world, this, this);
}

Control *Probe::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    const bool inside = GetRect().Contains(x, y);
    world.log.push_back({'U', id});
    if (pressed && inside && IsEnabled())
        world.log.push_back({'C', id});
    pressed = false;
    if (!inside)
        hovered = false;
    return ActThen<Control *>(world, this, inside ? this : nullptr);
}

int Probe::MouseLButtonUpNotify(std::int32_t, std::int32_t)
{
    const bool take = world.Chance(5);
    if (take)
        world.log.push_back({'T', id});
    return ActThen(world, this, take ? 1 : 0);
}

bool Probe::OnKeyDown(std::uint32_t, std::int64_t)
{
    world.log.push_back({'K', id});
    return ActThen(world, this, id % 3 == 0);
}

// ---- the model ----

// Topmost visible control under a panel-relative point, by the stacking rule
// (a container answers with its own children only).
Control *ExpectedHit(const ControlList &list, std::int32_t x, std::int32_t y)
{
    const auto &children = list.Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Control *c = *it;
        if (!c->IsVisible() || !c->GetRect().Contains(x, y))
            continue;
        if (auto *box = dynamic_cast<Box *>(c))
            return ExpectedHit(*box, x, y);
        return c;
    }
    return nullptr;
}

// Every other panel lies above the root panel, whatever the stacking order.
Panel *ExpectedPanel(World &w, std::int32_t x, std::int32_t y)
{
    const auto &panels = w.gui.Panels();
    Panel *root = w.gui.GetRootPanel().Get();
    for (auto it = panels.rbegin(); it != panels.rend(); ++it)
        if (it->Get() != root && (*it)->IsVisible() && (*it)->GetRect().Contains(x, y))
            return it->Get();
    return root->IsVisible() && root->GetRect().Contains(x, y) ? root : nullptr;
}

// Visible together with every ancestor up to its panel.
bool IsShown(const Control *c)
{
    for (; c && !dynamic_cast<const Panel *>(c); c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return c != nullptr;
}

struct Stats {
    int cleanClicks = 0, hitChecks = 0, focusChecks = 0, keyChecks = 0;
};

void RunWorld(unsigned seed, int steps, Stats &stats)
{
    World w(seed);
    bool down = false, interrupted = false;
    int pressedId = 0, pressedGeneration = 0; // the press cycle in progress
    std::int32_t x = 150, y = 100;
    for (int step = 0; step < steps && !::testing::Test::HasFatalFailure(); ++step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
        for (auto &[id, control] : w.owned)
            if (auto *probe = dynamic_cast<Probe *>(control.get())) {
                const Panel *panel = probe->GetPanel();
                ASSERT_EQ(probe->focused, panel && panel->GetFocusedControl() == probe) << "probe " << id;
            }
        w.log.clear();
        const int choice = w.Random(100);
        if (choice < 50) {
            // Small drags, so that many releases land where the press did.
            if (down && w.Chance(80)) {
                x += w.Random(7) - 3;
                y += w.Random(7) - 3;
            } else {
                x = w.Random(440) - 20;
                y = w.Random(340) - 20;
            }
            w.gui.OnMouseMove(x, y);
            if (down || w.Acted())
                continue;
            Panel *panel = ExpectedPanel(w, x, y);
            for (const SharedPtr<Panel> &p : w.gui.Panels()) {
                if (p.Get() != panel) {
                    ASSERT_EQ(p->GetHotControl(), nullptr);
                }
            }
            if (!panel)
                continue;
            const std::int32_t lx = x - panel->GetRect().x0, ly = y - panel->GetRect().y0;
            Control *expected = ExpectedHit(*panel, lx, ly), *hot = panel->GetHotControl();
            // Either the topmost control, or the previous one that still has
            // the point or keeps it while pressed.
            auto *hotProbe = dynamic_cast<Probe *>(hot);
            const bool retained =
                hot && IsShown(hot) && (hot->GetRect().Contains(lx, ly) || (hotProbe && hotProbe->pressed));
            ASSERT_TRUE(hot == expected || retained)
                << "hot " << (hot ? World::IdOf(*hot) : 0) << " expected " << (expected ? World::IdOf(*expected) : 0);
            ++stats.hitChecks;
        } else if (choice < 65) {
            if (down)
                continue;
            // Mostly aim at a control: move onto a random point of one first.
            if (Control *c = w.RandomOwned(); c && c->GetPanel() && w.Chance(60)) {
                const Rect r = c->GetRect(), p = c->GetPanel()->GetRect();
                x = p.x0 + r.x0 + w.Random(std::max(r.Width(), 1));
                y = p.y0 + r.y0 + w.Random(std::max(r.Height(), 1));
                w.gui.OnMouseMove(x, y);
                w.log.clear();
            }
            down = true;
            w.gui.OnMouseLButtonDown();
            const auto press = std::find_if(w.log.begin(), w.log.end(), [](const Record &r) { return r.kind == 'D'; });
            pressedId = press == w.log.end() ? 0 : press->id;
            Probe *p = w.FindProbe(pressedId);
            interrupted = !p || !p->pressed; // disabled, or changed by its own handler
            pressedGeneration = p ? p->generation : 0;
            // A press given to a control of the active panel focuses it.
            if (p && !w.Acted() && p->GetPanel()) {
                ASSERT_EQ(p->GetPanel(), w.gui.GetActivePanel());
                ASSERT_EQ(p->GetPanel()->GetFocusedControl(), p);
                ++stats.focusChecks;
            }
        } else if (choice < 80) {
            if (!down)
                continue;
            down = false;
            Probe *target = w.FindProbe(pressedId);
            const bool clean =
                target && !interrupted && target->pressed && IsShown(target) &&
                target->generation == pressedGeneration && target->IsEnabled() &&
                target->GetRect().Contains(x - target->GetPanel()->GetRect().x0, y - target->GetPanel()->GetRect().y0);
            w.gui.OnMouseLButtonUp();
            std::vector<int> clicks;
            bool actedBeforeUp = false, up = false, taken = false;
            for (const Record &r : w.log) {
                actedBeforeUp |= r.kind == 'A' && !up;
                up |= r.kind == 'U';
                taken |= r.kind == 'T';
                if (r.kind == 'C')
                    clicks.push_back(r.id);
            }
            // No more than one click per press and release, and only on the
            // pressed control; exactly one when nothing changed before the
            // release reached it.
            ASSERT_LE(clicks.size(), 1u);
            if (!clicks.empty()) {
                ASSERT_EQ(clicks[0], pressedId);
            }
            if (clean && !actedBeforeUp && !taken) {
                ASSERT_EQ(clicks.size(), 1u);
                ++stats.cleanClicks;
            }
        } else if (choice < 83) {
            w.gui.OnMouseLeave();
            interrupted = true;
        } else if (choice < 95) {
            // Keys: the focused control of the active panel hears them first.
            Panel *active = w.gui.GetActivePanel();
            auto *focused = dynamic_cast<Probe *>(active ? active->GetFocusedControl() : nullptr);
            const int focusedId = focused ? focused->id : 0;
            w.gui.OnKeyDown(w.Chance(50) ? 32 : 65, 0);
            if (focusedId) {
                ASSERT_FALSE(w.log.empty());
                ASSERT_EQ(w.log.front().kind, 'K');
                ASSERT_EQ(w.log.front().id, focusedId);
                ++stats.keyChecks;
            }
        } else {
            // Changes between events.
            w.actPercent = 100;
            w.MaybeAct();
            w.actPercent = 4;
            interrupted = true;
        }
    }
}

TEST(EventRoutingFuzz, RandomTreesAndEventsKeepTheModel)
{
    Stats stats;
    for (unsigned seed = 1; seed <= 80 && !::testing::Test::HasFatalFailure(); ++seed)
        RunWorld(seed, 2000, stats);
    // The runs must have exercised the interesting paths.
    EXPECT_GT(stats.cleanClicks, 1000);
    EXPECT_GT(stats.hitChecks, 20000);
    EXPECT_GT(stats.focusChecks, 2000);
    EXPECT_GT(stats.keyChecks, 2000);
}

} // namespace
} // namespace Brintavolex::GUI
