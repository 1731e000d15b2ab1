// Model-based fuzzing of the event routing: random control trees in two
// panels, random pointer, key and focus sequences, and handlers that insert,
// remove, hide and destroy controls (themselves included) while an event is
// being delivered. Under AddressSanitizer a callback that reaches a destroyed
// control fails the run; the model checks hits, clicks, focus and Escape.

#include "GUI/api/Control.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

struct World;

enum class Ev { Action, Enter, Down, Up, Click, Leave, SetFocus, KillFocus, KeyDown, KeyUp, NotifyDown, NotifyUp, ConsumedUp, NotifyMove };

struct Record {
    Ev kind;
    int id;
};

// A leaf with button semantics: keeps the pointer while pressed, clicks on a
// release inside after a press.
struct Probe final : Control {
    Probe(World &world, int id) : world(world), id(id) { SetEnabled(true); }
    ~Probe() override;
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }

    Control *OnMouseEnter(std::int32_t, std::int32_t) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t, std::int32_t) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    Control *OnSetFocus() override;
    int OnKillFocus() override;
    bool OnKeyDown(std::uint32_t, std::int64_t) override;
    bool OnKeyUp(std::uint32_t, std::int64_t) override;
    int MouseMoveNotify(std::int32_t, std::int32_t) override;
    int MouseLButtonDownNotify(std::int32_t, std::int32_t) override;
    int MouseLButtonUpNotify(std::int32_t, std::int32_t) override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

    bool ConsumesKeys() const { return id % 3 == 0; }

    World &world;
    int id;
    bool pressed = false, hovered = false, focused = false;
    int clicks = 0;
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
        for (int i = 0; i < 2; ++i) {
            panels[i] = MakeShared<Panel>();
            panels[i]->SetCloseAction(Function2<void()>());
        }
        panels[0]->SetRect(0, 0, 400, 300);
        panels[1]->SetRect(100, 80, 300, 220);
        closeTargets[0].world = closeTargets[1].world = this;
        closeTargets[0].index = 0;
        closeTargets[1].index = 1;
        for (int i = 0; i < 2; ++i) {
            Function2<void()> close;
            close.Reset(&CloseTarget::Clicked, &closeTargets[i]);
            panels[i]->SetCloseAction(close);
        }
        gui.SetRootPanel(panels[0]);
        gui.AddPanel(panels[1]);
        for (int i = 0; i < 40; ++i)
            AddRandomControl();
    }
    ~World()
    {
        acting = 1000; // no actions while tearing down
        owned.clear();
    }

    struct CloseTarget {
        World *world = nullptr;
        int index = 0;
        void Clicked() { ++world->closeClicks[index]; }
    };

    int Random(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(int percent) { return Random(100) < percent; }

    Rect RandomRect(const Rect &within)
    {
        const int w = within.Width() > 0 ? within.Width() : 200, h = within.Height() > 0 ? within.Height() : 140;
        const int x0 = Random(w) - 10, y0 = Random(h) - 10;
        return Rect{x0, y0, x0 + 10 + Random(120), y0 + 10 + Random(90)};
    }

    // Inside a box's rectangle, or anywhere in a panel (with some overhang).
    Rect RandomRectIn(const ControlList &into)
    {
        if (dynamic_cast<const Panel *>(&into))
            return RandomRect(Rect{0, 0, into.GetRect().Width(), into.GetRect().Height()});
        const Rect b = into.GetRect();
        const int w = std::max(b.Width(), 2), h = std::max(b.Height(), 2);
        const int x0 = b.x0 + Random(w), y0 = b.y0 + Random(h);
        return Rect{x0, y0, x0 + 3 + Random(w), y0 + 3 + Random(h)};
    }

    // A random container of the trees: a panel or an attached box.
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
        if (owned.empty())
            return nullptr;
        auto it = owned.begin();
        std::advance(it, Random(int(owned.size())));
        return it->second.get();
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
        ControlList *into = RandomContainer();
        c.SetRect(RandomRectIn(*into));
        const int count = int(into->Count());
        into->Add(c, Chance(50) ? -1 : Random(count + 1));
        if (auto *probe = dynamic_cast<Probe *>(&c); probe && Chance(15))
            RegisterListener(*probe);
    }

    void RegisterListener(Probe &probe)
    {
        switch (Random(3)) {
        case 0: gui.AddMouseMoveListener(probe); break;
        case 1: gui.AddMouseLButtonDownListener(probe); break;
        default: gui.AddMouseLButtonUpListener(probe); break;
        }
    }

    // One random change of the trees, run from inside event handlers.
    void MaybeAct()
    {
        if (acting > 1 || !Chance(actPercent))
            return;
        Log(Ev::Action, 0);
        ++acting;
        switch (Random(11) % 10) {
        case 0: // destroy any control, possibly the one being called
            if (Control *c = RandomOwned()) {
                const int id = IdOf(*c);
                owned.erase(id);
            }
            break;
        case 1: // detach
            if (Control *c = RandomOwned())
                if (auto *list = dynamic_cast<ControlList *>(c->GetParent()))
                    list->Remove(*c);
            break;
        case 2: // (re)attach somewhere
            if (Control *c = RandomOwned()) {
                ControlList *into = RandomContainer();
                if (into != c && !into->IsDescendantOf(c)) {
                    c->SetRect(RandomRectIn(*into));
                    into->Add(*c, Chance(50) ? -1 : Random(int(into->Count()) + 1));
                }
            }
            break;
        case 3:
            if (Control *c = RandomOwned())
                c->SetVisible(c->IsVisible() ? !Chance(40) : true);
            break;
        case 4:
            if (Control *c = RandomOwned())
                c->SetEnabled(c->IsEnabled() ? !Chance(40) : true);
            break;
        case 5:
            if (owned.size() < 80)
                AddRandomControl();
            break;
        case 6: // focus a random control of its panel
            if (Control *c = RandomOwned())
                if (Panel *p = c->GetPanel())
                    p->SetFocus(c);
            break;
        case 7:
            if (Control *c = RandomOwned())
                if (auto *list = dynamic_cast<ControlList *>(c->GetParent()))
                    c->SetRect(RandomRectIn(*list));
            break;
        case 8:
            if (Control *c = RandomOwned())
                if (auto *probe = dynamic_cast<Probe *>(c))
                    RegisterListener(*probe);
            break;
        case 9: // attach a detached control
            for (auto &[id, c] : owned)
                if (!c->GetParent()) {
                    ControlList *into = RandomContainer();
                    if (into != c.get() && !into->IsDescendantOf(c.get())) {
                        c->SetRect(RandomRectIn(*into));
                        into->Add(*c, -1);
                    }
                    break;
                }
            break;
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

    void Log(Ev kind, int id) { log.push_back(Record{kind, id}); }

    std::mt19937 rng;
    GUI gui;
    SharedPtr<Panel> panels[2];
    CloseTarget closeTargets[2];
    int closeClicks[2] = {0, 0};
    std::map<int, std::unique_ptr<Control>> owned;
    std::vector<Record> log;
    int nextId = 1;
    int acting = 0;
    int actPercent = 4;
};

Probe::~Probe() = default;

Control *Probe::OnMouseEnter(std::int32_t, std::int32_t)
{
    Control *self = this;
    hovered = true;
    world.Log(Ev::Enter, id);
    world.MaybeAct();
    return self;
}

Control *Probe::OnMouseMove(std::int32_t x, std::int32_t y)
{
    Control *self = this;
    hovered = GetRect().Contains(x, y);
    const bool keep = hovered || pressed;
    world.MaybeAct();
    return keep ? self : nullptr;
}

Control *Probe::OnMouseLButtonDown(std::int32_t, std::int32_t)
{
    Control *self = this;
    world.Log(Ev::Down, id);
    if (IsEnabled())
        pressed = true;
    world.MaybeAct();
    return self;
}

Control *Probe::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    Control *self = this;
    const bool inside = GetRect().Contains(x, y);
    const bool click = pressed && inside && IsEnabled();
    pressed = false;
    world.Log(Ev::Up, id);
    if (click) {
        ++clicks;
        world.Log(Ev::Click, id);
    }
    if (!inside)
        hovered = false;
    world.MaybeAct();
    return inside ? self : nullptr;
}

int Probe::OnMouseLeave()
{
    pressed = hovered = false;
    world.Log(Ev::Leave, id);
    world.MaybeAct();
    return 0;
}

Control *Probe::OnSetFocus()
{
    Control *self = this;
    focused = true;
    world.Log(Ev::SetFocus, id);
    world.MaybeAct();
    return self;
}

int Probe::OnKillFocus()
{
    focused = false;
    world.Log(Ev::KillFocus, id);
    world.MaybeAct();
    return 0;
}

bool Probe::OnKeyDown(std::uint32_t, std::int64_t)
{
    const bool consume = ConsumesKeys();
    world.Log(Ev::KeyDown, id);
    world.MaybeAct();
    return consume;
}

bool Probe::OnKeyUp(std::uint32_t, std::int64_t)
{
    const bool consume = ConsumesKeys();
    world.Log(Ev::KeyUp, id);
    world.MaybeAct();
    return consume;
}

int Probe::MouseMoveNotify(std::int32_t, std::int32_t)
{
    world.Log(Ev::NotifyMove, id);
    world.MaybeAct();
    return 0;
}

int Probe::MouseLButtonDownNotify(std::int32_t, std::int32_t)
{
    const int result = world.Chance(5) ? 1 : 0;
    world.Log(Ev::NotifyDown, id);
    world.MaybeAct();
    return result;
}

int Probe::MouseLButtonUpNotify(std::int32_t, std::int32_t)
{
    const int result = world.Chance(5) ? 1 : 0;
    world.Log(result ? Ev::ConsumedUp : Ev::NotifyUp, id);
    world.MaybeAct();
    return result;
}

void Probe::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui) {
        pressed = hovered = focused = false;
        ++generation;
    }
    Control::SetParent(parent, panel, gui);
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
    const Panel *root = w.gui.GetRootPanel().Get();
    for (auto it = panels.rbegin(); it != panels.rend(); ++it)
        if (it->Get() != root && (*it)->IsVisible() && (*it)->GetRect().Contains(x, y))
            return it->Get();
    for (const SharedPtr<Panel> &p : panels)
        if (p.Get() == root && p->IsVisible() && p->GetRect().Contains(x, y))
            return p.Get();
    return nullptr;
}

void CheckFocus(World &w, int step)
{
    for (auto &[id, control] : w.owned) {
        auto *probe = dynamic_cast<Probe *>(control.get());
        if (!probe)
            continue;
        Panel *panel = probe->GetPanel();
        const bool isFocused = panel && panel->GetFocusedControl() == probe;
        ASSERT_EQ(probe->focused, isFocused) << "step " << step << " probe " << id;
    }
}

struct Stats {
    int cleanClicks = 0, moves = 0, hitChecks = 0, escapes = 0, focusChecks = 0, presses = 0;
};

bool Acted(const World &w)
{
    for (const Record &r : w.log)
        if (r.kind == Ev::Action)
            return true;
    return false;
}

// Visible together with every ancestor up to its panel.
bool IsShown(const Control *c)
{
    for (; c && !dynamic_cast<const Panel *>(c); c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return c != nullptr;
}

void RunWorld(unsigned seed, int steps, Stats &stats)
{
    World w(seed);
    bool down = false;
    // The press cycle in progress.
    int pressedId = 0, pressedGeneration = 0;
    bool interrupted = false;
    std::int32_t x = 150, y = 100;
    bool armed[2] = {false, false};
    std::string history;
    int expectedClose[2] = {0, 0};

    for (int step = 0; step < steps; ++step) {
        w.log.clear();
        const int choice = w.Random(100);
        history += " " + std::to_string(choice) + "@" + std::to_string(x) + "," + std::to_string(y);
        if (history.size() > 200)
            history.erase(0, history.size() - 200);
        if (choice < 45) {
            if (down && w.Chance(80)) {
                // Small drags, so that many releases land where the press did.
                x += w.Random(7) - 3;
                y += w.Random(7) - 3;
            } else {
                x = w.Random(440) - 20;
                y = w.Random(340) - 20;
            }
            w.gui.OnMouseMove(x, y);
            ++stats.moves;
            if (!down && !Acted(w)) {
                Panel *panel = ExpectedPanel(w, x, y);
                for (const SharedPtr<Panel> &p : w.gui.Panels())
                    if (p.Get() != panel) {
                        ASSERT_EQ(p->GetHotControl(), nullptr) << "seed " << seed << " step " << step << " " << history;
                    }
                if (panel) {
                    const std::int32_t lx = x - panel->GetRect().x0, ly = y - panel->GetRect().y0;
                    Control *expected = ExpectedHit(*panel, lx, ly);
                    Control *hot = panel->GetHotControl();
                    // Either the topmost control, or the previous one that still has the point.
                    // (or one that keeps it while pressed: a release a listener consumed never reached it).
                    auto *hotProbe = dynamic_cast<Probe *>(hot);
                    const bool retained = hot && hot != expected && IsShown(hot) &&
                                          (hot->GetRect().Contains(lx, ly) || (hotProbe && hotProbe->pressed));
                    ASSERT_TRUE(hot == expected || retained)
                        << "seed " << seed << " step " << step << " hot " << (hot ? World::IdOf(*hot) : 0)
                        << " expected " << (expected ? World::IdOf(*expected) : 0) << " at " << lx << "," << ly;
                    ++stats.hitChecks;
                }
            }
        } else if (choice < 60) {
            if (down)
                continue;
            // Mostly aim at a control: move onto a random point of one first.
            if (w.Chance(60)) {
                if (Control *c = w.RandomOwned(); c && c->GetPanel()) {
                    const Rect r = c->GetRect(), p = c->GetPanel()->GetRect();
                    x = p.x0 + r.x0 + w.Random(std::max(r.Width(), 1));
                    y = p.y0 + r.y0 + w.Random(std::max(r.Height(), 1));
                    w.gui.OnMouseMove(x, y);
                    w.log.clear();
                }
            }
            down = true;
            w.gui.OnMouseLButtonDown();
            pressedId = 0;
            interrupted = false;
            for (const Record &r : w.log)
                if (r.kind == Ev::Down && pressedId == 0)
                    pressedId = r.id;
            if (Probe *p = w.FindProbe(pressedId)) {
                ++stats.presses;
                pressedGeneration = p->generation;
                if (!p->pressed)
                    interrupted = true; // disabled, or changed by its own handler
            } else {
                interrupted = true;
            }
            // A press given to a control of the active panel focuses it.
            if (Probe *p = w.FindProbe(pressedId); p && !Acted(w) && p->GetPanel()) {
                ASSERT_EQ(p->GetPanel(), w.gui.GetActivePanel());
                ASSERT_EQ(p->GetPanel()->GetFocusedControl(), p) << "seed " << seed << " step " << step;
                ++stats.focusChecks;
            }
        } else if (choice < 75) {
            if (!down)
                continue;
            down = false;
            Probe *target = w.FindProbe(pressedId);
            const int clicksBefore = target ? target->clicks : 0;
            const bool wasClean = target && !interrupted && target->pressed && IsShown(target) &&
                                  target->generation == pressedGeneration && target->IsEnabled();
            bool insideBefore = false;
            if (target && target->GetPanel()) {
                const Rect pr = target->GetPanel()->GetRect();
                insideBefore = target->GetRect().Contains(x - pr.x0, y - pr.y0);
            }
            w.gui.OnMouseLButtonUp();
            int clickRecords = 0, upRecords = 0, firstClickId = 0;
            bool consumedByListener = false, actedBeforeUp = false;
            for (const Record &r : w.log) {
                if (r.kind == Ev::Action && upRecords == 0)
                    actedBeforeUp = true;
                if (r.kind == Ev::Click) {
                    if (!clickRecords)
                        firstClickId = r.id;
                    ++clickRecords;
                }
                if (r.kind == Ev::Up)
                    ++upRecords;
                if (r.kind == Ev::ConsumedUp)
                    consumedByListener = true;
            }
            // No more than one click per press and release, and only on the pressed control.
            ASSERT_LE(clickRecords, 1) << "seed " << seed << " step " << step;
            if (clickRecords) {
                ASSERT_EQ(firstClickId, pressedId) << "seed " << seed << " step " << step;
            }
            if (wasClean && insideBefore && !consumedByListener && !actedBeforeUp) {
                // Before the handlers of this release could change anything.
                ASSERT_EQ(clickRecords, 1) << "seed " << seed << " step " << step;
                if (Probe *t = w.FindProbe(pressedId)) {
                    ASSERT_EQ(t->clicks, clicksBefore + 1);
                }
                ++stats.cleanClicks;
            }
            pressedId = 0;
        } else if (choice < 78) {
            w.gui.OnMouseLeave();
            interrupted = true;
        } else if (choice < 92) {
            // Keys: the focused control of the active panel hears them first.
            const bool escape = w.Chance(60);
            const std::uint32_t key = escape ? 27 : (w.Chance(50) ? 32 : 65);
            const bool isDown = w.Chance(55);
            const bool repeat = isDown && w.Chance(20);
            Panel *active = w.gui.GetActivePanel();
            Control *focused = active ? active->GetFocusedControl() : nullptr;
            auto *focusedProbe = dynamic_cast<Probe *>(focused);
            const bool consumedByFocus = focusedProbe && focusedProbe->ConsumesKeys();
            const int focusedId = focusedProbe ? focusedProbe->id : 0;
            const int activeIndex = active == w.panels[0].Get() ? 0 : active == w.panels[1].Get() ? 1 : -1;
            const std::int64_t flags = repeat ? (std::int64_t(1) << 30) : 0;
            const int closeBefore[2] = {w.closeClicks[0], w.closeClicks[1]};
            if (isDown)
                w.gui.OnKeyDown(key, flags);
            else
                w.gui.OnKeyUp(key, flags);
            if (focusedProbe) {
                ASSERT_FALSE(w.log.empty());
                EXPECT_EQ(w.log.front().kind, isDown ? Ev::KeyDown : Ev::KeyUp);
                EXPECT_EQ(w.log.front().id, focusedId) << "seed " << seed << " step " << step;
            }
            if (escape && activeIndex >= 0 && !consumedByFocus) {
                ++stats.escapes;
                if (isDown) {
                    if (!repeat)
                        armed[activeIndex] = true;
                } else {
                    expectedClose[activeIndex] += armed[activeIndex] ? 1 : 0;
                    armed[activeIndex] = false;
                }
            }
            for (int i = 0; i < 2; ++i) {
                if (w.closeClicks[i] != closeBefore[i]) {
                    ASSERT_EQ(i, activeIndex) << "only the panel that saw the press closes";
                }
                ASSERT_EQ(w.closeClicks[i], expectedClose[i]) << "seed " << seed << " step " << step;
            }
        } else if (choice < 96) {
            w.gui.OnMouseWheel(std::uint64_t(120) << 16, (std::int64_t(y) << 16) | (x & 0xFFFF));
        } else {
            // Changes between events.
            w.MaybeAct();
            w.actPercent = 100;
            w.MaybeAct();
            w.actPercent = 4;
            interrupted = true;
        }
        CheckFocus(w, step);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(EventRoutingFuzz, RandomTreesAndEventsKeepTheModel)
{
    Stats stats;
    for (unsigned seed = 1; seed <= 80; ++seed) {
        RunWorld(seed, 2000, stats);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // The runs must have exercised the interesting paths.
    std::printf("moves %d hits %d clicks %d escapes %d focus %d presses %d\n", stats.moves, stats.hitChecks,
                stats.cleanClicks, stats.escapes, stats.focusChecks, stats.presses);
    EXPECT_GT(stats.cleanClicks, 1000);
    EXPECT_GT(stats.hitChecks, 20000);
    EXPECT_GT(stats.escapes, 5000);
    EXPECT_GT(stats.focusChecks, 2000);
}

} // namespace
} // namespace Brintavolex::GUI
