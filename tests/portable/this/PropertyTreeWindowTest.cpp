// The header tree window driven through the GUI's input entry points: a real
// file's header checked against the file's own bytes, a tree of a hundred
// thousand lines scrolled by knob and wheel, the CSV read back by Python's
// csv module, and the window on the headless host.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "Interface/api/Composite.h"
#include "Platform/api/String.h"
#include "Platform/api/Video/Software.h"
#include "this/src/Logger.h"
#include "this/src/PropertyTree.h"
#include "this/src/Slot.h"

#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace Brintavolex {

namespace {

namespace M = GUI::WindowMessages;

struct Window {
    Window()
    {
        gui.SetContext(Platform::Video::Software::SoftwareContext::Create());
        tree = MakeShared<PropertyTree>();
        tree->SetRect(0, 0, 480, 360);
        gui.SetRootPanel(tree);
        gui.SetActivePanel(tree.Get());
    }
    ~Window() { gui.DeleteContextObjects(); }

    void Click(std::int32_t x, std::int32_t y)
    {
        gui.OnMouseMove(x, y);
        gui.OnMouseLButtonDown();
        gui.OnMouseLButtonUp();
    }
    void Click(const GUI::Rect &r) { Click((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2); }
    void Key(std::uint32_t key)
    {
        gui.OnKeyDown(key, 0);
        gui.OnKeyUp(key, 0);
    }
    void Wheel(std::int16_t delta, std::int32_t x, std::int32_t y)
    {
        gui.OnMouseWheel(std::uint64_t(std::uint16_t(delta)) << 16, GUI::PackPoint(x, y));
    }
    // The tree's rows as drawn.
    std::vector<std::uint8_t> Frame()
    {
        EXPECT_TRUE(tree->Paint());
        const auto lock = tree->GetRenderer()->LockBackBuffer();
        const GUI::Rect r = tree->Tree().GetRect();
        std::vector<std::uint8_t> rows;
        for (std::int32_t y = r.y0; y < r.y1; ++y)
            rows.insert(rows.end(), lock.ReadBits() + std::int64_t(y) * lock.Pitch(),
                        lock.ReadBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(r.x1) * 4);
        return rows;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (std::size_t line : tree->Tree().LinesInView())
            names.push_back(tree->Tree().Model().Lines()[line].name.ToStdString());
        return names;
    }
    std::string Value(const std::string &name) const
    {
        for (const PropertyTreeLine &line : tree->Tree().Model().Lines())
            if (line.name.ToStdString() == name)
                return line.value.ToStdString();
        return "(missing)";
    }

    GUI::GUI gui;
    SharedPtr<PropertyTree> tree;
};

SharedPtr<IProperty> HeaderOf(const String &path)
{
    Slot slot(path, {MakeShared<DefaultIndex>()});
    slot.Load(MakeShared<NullLogger>());
    return slot.GetLoaded().decoder->GetProperty();
}

template <class T> T FileNumber(const std::string &bytes, std::size_t at)
{
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// 100 groups of 999 fields: 100 000 lines.
SharedPtr<IProperty> LargeTree()
{
    auto root = MakeShared<Composite>();
    for (int g = 0; g < 100; ++g) {
        auto group = MakeShared<Composite>();
        for (int f = 0; f < 999; ++f)
            group->Add(String("Field " + std::to_string(f)), UInt32(g * 1000 + f));
        root->Add(String("Group " + std::to_string(g)), group);
    }
    return root;
}

} // namespace

TEST(PropertyTreeWindow, ShowsABitmapsHeaderAsTheFileHoldsItAndExpandsByMouseAndKeys)
{
    const String path = TestSupport::CachePath("bmpsuite/g/rgb24.bmp");
    const std::string bytes = TestSupport::ReadBytes(path);
    Window w;
    w.tree->SetRoot(HeaderOf(path));
    PropertyTreeControl &tree = w.tree->Tree();
    EXPECT_EQ(w.Names(), (std::vector<std::string>{"BITMAPFILEHEADER", "BITMAPINFOHEADER"}));
    const std::vector<std::uint8_t> collapsed = w.Frame();

    // A click on the second item's marker opens it; the frame shows more.
    w.Click(tree.MarkerRect(1));
    ASSERT_EQ(tree.ShownItems().size(), 2u + 11u);
    EXPECT_EQ(w.Names()[2], "biSize");
    EXPECT_NE(w.Frame(), collapsed);
    EXPECT_EQ(w.Value("biWidth"), std::to_string(FileNumber<std::int32_t>(bytes, 18)));
    EXPECT_EQ(w.Value("biBitCount"), std::to_string(FileNumber<std::uint16_t>(bytes, 28)));
    EXPECT_EQ(w.Value("offBits"), std::to_string(FileNumber<std::uint32_t>(bytes, 10)));

    // The hexadecimal box switches the value texts and keeps the item open.
    w.Click(w.tree->HexadecimalBox().GetRect());
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", unsigned(FileNumber<std::int32_t>(bytes, 18)));
    EXPECT_EQ(w.Value("biWidth"), hex);
    std::snprintf(hex, sizeof hex, "0x%04X", unsigned(FileNumber<std::uint16_t>(bytes, 28)));
    EXPECT_EQ(w.Value("biBitCount"), hex);
    EXPECT_EQ(tree.ShownItems().size(), 13u);
    w.Click(w.tree->HexadecimalBox().GetRect());
    EXPECT_EQ(w.Value("biBitCount"), "24");

    // Keys: Home, Right opens, Right again steps in, Left goes up, Left closes.
    w.Key(36);
    w.Key(39);
    EXPECT_EQ(tree.ShownItems().size(), 2u + 5u + 11u);
    w.Key(39);
    EXPECT_EQ(tree.Selected(), 1u);
    w.Key(37);
    EXPECT_EQ(tree.Selected(), 0u);
    w.Key(37);
    EXPECT_EQ(tree.ShownItems().size(), 13u);
    w.Key(35);
    EXPECT_EQ(tree.Selected(), 12u);
    EXPECT_EQ(w.Frame().size(), collapsed.size());

    // Escape closes the window: the tree leaves the GUI.
    w.Key(27);
    EXPECT_TRUE(w.gui.Panels().empty());
}

TEST(PropertyTreeWindow, AHundredThousandLinesScrollByKnobAndWheelWithinRange)
{
    Window w;
    w.tree->SetRoot(LargeTree());
    PropertyTreeControl &tree = w.tree->Tree();
    ASSERT_EQ(tree.Model().Lines().size(), 100000u);
    for (std::size_t g = 100; g-- > 0;)
        tree.SetExpanded(g, true);
    ASSERT_EQ(tree.ShownItems().size(), 100000u);
    const std::size_t rows = tree.RowsInView(), last = 100000 - rows;
    ASSERT_GT(rows, 5u);
    w.Frame();

    // Dragging the knob far below the track ends at the last row.
    const GUI::Rect knob = tree.Slider().GetKnob().GetRect();
    w.gui.OnMouseMove((knob.x0 + knob.x1) / 2, (knob.y0 + knob.y1) / 2);
    w.gui.OnMouseLButtonDown();
    w.gui.OnMouseMove((knob.x0 + knob.x1) / 2, 5000);
    w.gui.OnMouseLButtonUp();
    EXPECT_EQ(tree.FirstRow(), last);
    EXPECT_EQ(w.Names().back(), "Field 998");
    EXPECT_EQ(w.Names().size(), rows);
    const std::vector<std::uint8_t> atEnd = w.Frame();

    // The wheel: a notch up is three rows, past the ends nothing more.
    const GUI::Rect r = tree.GetRect();
    w.Wheel(120, r.x0 + 20, r.y0 + 20);
    EXPECT_EQ(tree.FirstRow(), last - 3);
    EXPECT_NE(w.Frame(), atEnd);
    w.Wheel(-600, r.x0 + 20, r.y0 + 20);
    EXPECT_EQ(tree.FirstRow(), last);
    for (int i = 0; i < 4; ++i)
        w.Wheel(32767, r.x0 + 20, r.y0 + 20);
    EXPECT_EQ(tree.FirstRow(), last - 4 * (32767 / 120) * 3);
    tree.ScrollTo(2);
    w.Wheel(360, r.x0 + 20, r.y0 + 20);
    EXPECT_EQ(tree.FirstRow(), 0u);
    EXPECT_EQ(w.Names().front(), "Group 0");

    // Dragging back to the top; collapsing everything keeps the first row in range.
    tree.ScrollTo(99000);
    EXPECT_EQ(w.Names().front(), tree.Model().Lines()[99000].name.ToStdString());
    for (std::size_t g = 0; g < 100; ++g)
        tree.SetExpanded(g, false);
    EXPECT_EQ(tree.ShownItems().size(), 100u);
    EXPECT_LE(tree.FirstRow(), 100u - std::min<std::size_t>(100, rows));
    EXPECT_EQ(w.Names().size(), std::min<std::size_t>(100, rows));
}

TEST(PropertyTreeWindow, SavesTheLinesAsCsvThatPythonReadsBackAndShowsFailures)
{
    const TestSupport::TempFolder folder;
    Window w;
    w.tree->SetRoot(HeaderOf(TestSupport::CachePath("pngsuite/basn2c08.png")));
    int asked = 0;
    String answer;
    w.tree->SetAskPath([&] {
        ++asked;
        return answer;
    });

    // Cancelled: nothing is written, nothing is said.
    w.Click(w.tree->SaveButton().GetRect());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.tree->Message().Empty());

    // A folder cannot be written: the window says why, nothing is thrown.
    answer = TestSupport::PathString(folder.Path());
    EXPECT_NO_THROW(w.Click(w.tree->SaveButton().GetRect()));
    EXPECT_FALSE(w.tree->Message().Empty());
    EXPECT_NE(w.tree->Message().ToStdString().find("PropertyTree::SaveAs"), std::string::npos);
    w.Frame();

    const std::string csv = folder.File("header.csv");
    answer = TestSupport::PathString(csv);
    w.Click(w.tree->SaveButton().GetRect());
    EXPECT_TRUE(w.tree->Message().Empty());
#ifdef BRINTAVOLEX_REFERENCE_PYTHON
    const std::string command = std::string(BRINTAVOLEX_REFERENCE_PYTHON) +
                                " -c \"import csv,sys\n"
                                "for row in csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')):\n"
                                "    sys.stdout.write('\\x1f'.join(row) + '\\x1e')\" " + csv;
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0);
    // Python's rows, cells joined by unit separators, each ended by a record separator.
    std::string expected = "Level\x1fName\x1fValue\x1e";
    for (const PropertyTreeLine &line : w.tree->Tree().Model().Lines())
        expected += std::to_string(line.depth) + '\x1f' + ToUTF8(line.name) + '\x1f' + ToUTF8(line.value) + '\x1e';
    EXPECT_EQ(out, expected);
#else
    EXPECT_FALSE(TestSupport::ReadWholeFile(csv).empty());
#endif
}

TEST(PropertyTreeWindow, OpensInAnOwnedWindowOfTheHostOneAtATime)
{
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    GUI::GUI gui(platform);
    gui.CreateContextSoftware();
    auto main = MakeShared<GUI::PanelWithTransparentTitle>();
    main->SetRect(100, 100, 900, 700);
    gui.SetRootPanel(main);
    gui.Show();
    const GUI::WindowHandle mainWindow = gui.WindowOf(*main);
    const SharedPtr<IProperty> header = HeaderOf(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"));

    SharedPtr<PropertyTree> first = ShowHeaderTree(gui, header, "rgb24.bmp", [] { return String(); });
    gui.HandleGUIMessages();
    const GUI::WindowHandle firstWindow = gui.WindowOf(*first);
    ASSERT_NE(firstWindow, 0u);
    EXPECT_EQ(platform->Window(firstWindow)->owner, mainWindow);
    EXPECT_EQ(platform->Window(firstWindow)->title.ToStdString(), "rgb24.bmp");
    EXPECT_TRUE(main->GetRect().Contains(first->GetRect().x0, first->GetRect().y0));
    // Laid out before it met its fonts: the slider's page follows the rows drawn.
    EXPECT_EQ(first->Tree().Slider().GetPage(), double(first->Tree().RowsInView()));

    // Opened again: the first window is replaced.
    SharedPtr<PropertyTree> second = ShowHeaderTree(gui, header, "again", [] { return String(); });
    gui.HandleGUIMessages();
    EXPECT_EQ(first->GetGUI(), nullptr);
    const GUI::WindowHandle secondWindow = gui.WindowOf(*second);
    ASSERT_NE(secondWindow, 0u);
    EXPECT_EQ(platform->Windows().size(), 2u);
    const auto &frame = platform->Frames(secondWindow);
    EXPECT_EQ(frame.Width(), std::uint32_t(second->GetRect().Width()));

    // Escape in the tree's window closes it; the main window stays.
    platform->InjectKey(secondWindow, M::KeyDown, 27);
    platform->InjectKey(secondWindow, M::KeyUp, 27);
    gui.ProcessPendingMessages();
    EXPECT_EQ(second->GetGUI(), nullptr);
    EXPECT_EQ(platform->Windows(), (std::vector<GUI::WindowHandle>{mainWindow}));

    // So does its close button in the title line.
    SharedPtr<PropertyTree> third = ShowHeaderTree(gui, header, "third", [] { return String(); });
    gui.HandleGUIMessages();
    const GUI::WindowHandle thirdWindow = gui.WindowOf(*third);
    const GUI::Rect close = third->CloseButton().GetRect();
    platform->InjectPointer(thirdWindow, M::MouseMove, (close.x0 + close.x1) / 2, (close.y0 + close.y1) / 2);
    platform->InjectPointer(thirdWindow, M::LButtonDown, (close.x0 + close.x1) / 2, (close.y0 + close.y1) / 2);
    platform->InjectPointer(thirdWindow, M::LButtonUp, (close.x0 + close.x1) / 2, (close.y0 + close.y1) / 2);
    gui.ProcessPendingMessages();
    EXPECT_EQ(third->GetGUI(), nullptr);
    EXPECT_EQ(platform->Windows(), (std::vector<GUI::WindowHandle>{mainWindow}));
}

} // namespace Brintavolex
