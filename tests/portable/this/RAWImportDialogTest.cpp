// The RAW import dialog in its own window on the headless host, typed into
// and clicked as a user would: numpy's files (generated/raw/cases.txt) then
// decode byte for byte as numpy wrote them, refused values keep nothing, and
// a kept entry beyond 4 GiB comes back from the settings file.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "Interface/api/RML.h"
#include "this/src/RAWImportDialog.h"

#include "support/HeadlessDesk.h"
#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <tuple>

namespace Brintavolex {

namespace {

namespace M = GUI::WindowMessages;
using TestSupport::GeneratedPath;

struct Case {
    std::string name, type;
    std::int64_t x = 0, y = 0, z = 0, offset = 0;
    String Path() const { return GeneratedPath("raw/" + name); }
    std::string Expected() const { return TestSupport::ReadBytes(GeneratedPath("raw/" + name + ".expected")); }
};

std::vector<Case> Cases()
{
    std::istringstream lines(TestSupport::ReadBytes(GeneratedPath("raw/cases.txt")));
    std::vector<Case> cases;
    for (Case c; lines >> c.name >> c.type >> c.x >> c.y >> c.z >> c.offset;)
        cases.push_back(c);
    return cases;
}

struct Host {
    Host()
    {
        gui.CreateContextSoftware();
        main->SetRect(100, 100, 900, 700);
        gui.SetRootPanel(main);
        gui.Show();
    }

    void Open(const Case &c, const std::optional<RAWEntry> &entry = std::nullopt)
    {
        RAWImportDialog::Callbacks callbacks{[this] { ++saves; }, [this](const String &p) { reloaded.push_back(p); }};
        dialog = ShowRAWImportDialog(gui, c.Path(), FileStream(c.Path()).size(), entry, callbacks, settings);
        gui.HandleGUIMessages();
    }
    void ClickIn(const GUI::Panel &panel, const GUI::Rect &r)
    {
        TestSupport::ClickIn(gui, *platform, panel, r);
    }
    // Clicks into the box, deletes what is there, types text, ends with Return.
    void Type(GUI::EditBox &box, const std::string &text)
    {
        ClickIn(*dialog, box.GetRect());
        const GUI::WindowHandle window = gui.WindowOf(*dialog);
        for (std::size_t i = box.GetText().ToU16String().size(); i > 0; --i)
            platform->InjectKey(window, M::KeyDown, 8);
        for (char c : text)
            platform->InjectKey(window, M::Character, std::uint8_t(c));
        platform->InjectKey(window, M::KeyDown, 13);
        gui.ProcessPendingMessages();
    }
    void Choose(const std::string &type)
    {
        GUI::DropDownList &list = dialog->TypeList();
        ClickIn(*dialog, list.GetRect());
        ASSERT_TRUE(list.IsOpen());
        const auto &names = list.GetEntries();
        const std::int32_t row = std::int32_t(std::find(names.begin(), names.end(), String(type)) - names.begin());
        const std::int32_t h = list.RowHeight();
        ClickIn(*list.GetListPanel(), GUI::Rect{0, row * h, list.GetRect().Width(), (row + 1) * h});
        EXPECT_EQ(list.GetSelectedIndex(), row) << type;
    }
    void Fill(const Case &c)
    {
        Type(dialog->XBox(), std::to_string(c.x));
        Type(dialog->YBox(), std::to_string(c.y));
        Type(dialog->ZBox(), c.z == 0 ? "" : std::to_string(c.z));
        Type(dialog->OffsetBox(), std::to_string(c.offset));
        Choose(c.type);
    }
    std::string ClickApply()
    {
        ClickIn(*dialog, dialog->ApplyButton().GetRect());
        return dialog->Message().ToStdString();
    }

    SharedPtr<GUI::HeadlessWindowPlatform> platform = MakeShared<GUI::HeadlessWindowPlatform>();
    GUI::GUI gui{platform};
    SharedPtr<GUI::PanelWithTransparentTitle> main = MakeShared<GUI::PanelWithTransparentTitle>();
    SharedPtr<RAWDecoderSettings> settings = MakeShared<RAWDecoderSettings>(nullptr);
    SharedPtr<RAWImportDialog> dialog;
    int saves = 0;
    std::vector<String> reloaded;
};

// The tables mounted as the application mounts them: Codecs/RAWDecoderFactory.
struct SettingsTree {
    explicit SettingsTree(const SharedPtr<RAWDecoderSettings> &raw) { codecs.Register(raw); }
    CompositeOfProperties root{String("Settings")}, codecs{&root, String("Codecs")};
};

// Every sample of the file as the table's decoder reads it.
std::string Decoded(RAWDecoderSettings &settings, const Case &c)
{
    const SharedPtr<IDecoder> decoder = settings.FactoryFor("raw")->Create(MakeShared<FileStream>(c.Path()), nullptr);
    std::string bytes(std::size_t(c.x * c.y * std::max<std::int64_t>(c.z, 1)) * RAWSampleSize(RAWEntryOf(decoder).value().type),
                      '\0');
    if (auto *flat = dynamic_cast<RAW2DDecoder *>(decoder.Get()))
        flat->Decode(bytes.data(), std::uint64_t(c.x), std::uint64_t(c.y), nullptr);
    else
        dynamic_cast<RAW3DDecoder &>(*decoder).DecodeVolume(bytes.data(), std::uint64_t(c.x), std::uint64_t(c.y),
                                                            nullptr);
    return bytes;
}

} // namespace

TEST(RAWImportDialog, TypedValuesOpenEveryNumpyFileAsItWasWritten)
{
    Host h;
    // Signed and unsigned, integer and float, 2D behind a header and 3D, and
    // a volume whose rows are long enough to be read sample by sample.
    const std::vector<std::string> chosen{"SInt8-2d.raw", "UInt16-3d.raw", "Float32-2d.raw", "UInt64-3d.raw",
                                          "wide-3d.raw"};
    int applied = 0;
    for (const Case &c : Cases()) {
        if (std::find(chosen.begin(), chosen.end(), c.name) == chosen.end())
            continue;
        SCOPED_TRACE(c.name);
        h.Open(c);
        // One window, reused; a file nobody claims yet opens as one row of bytes.
        EXPECT_EQ(h.platform->Windows().size(), 2u);
        EXPECT_EQ(h.platform->Window(h.gui.WindowOf(*h.dialog))->owner, h.gui.WindowOf(*h.main));
        EXPECT_EQ(h.dialog->XBox().GetText(), String::FromUnsigned(FileStream(c.Path()).size()));
        EXPECT_EQ(h.dialog->YBox().GetText(), String("1"));
        const GUI::DropDownList &types = h.dialog->TypeList();
        EXPECT_EQ(types.GetEntries().at(std::size_t(types.GetSelectedIndex())), String("UInt8"));
        h.Fill(c);
        EXPECT_EQ(h.dialog->ExtentUnit()[1], String(c.z == 0 ? "Pixel" : "Voxel"));
        h.reloaded.clear();
        EXPECT_EQ(h.ClickApply(), "");
        EXPECT_EQ(h.reloaded, std::vector<String>{c.Path()});
        EXPECT_EQ(h.saves, ++applied);
        EXPECT_TRUE(Decoded(*h.settings, c) == c.Expected());
    }
    EXPECT_EQ(applied, int(chosen.size()));
}

TEST(RAWImportDialog, RefusedValuesAreShownAndKeepNothing)
{
    Host h;
    const Case c = Cases().front(); // a 2D picture behind a header
    h.Open(c);
    GUI::EditBox &x = h.dialog->XBox(), &z = h.dialog->ZBox(), &offset = h.dialog->OffsetBox();
    for (const auto &[box, typed, message] : std::vector<std::tuple<GUI::EditBox *, std::string, std::string>>{
             {&x, "18", "make"},                  // one column too many for the size
             {&offset, "36", "but the file has"}, // one byte of header too few
             {&offset, "99999999999999999999", "Offset must be a whole number from 0 to 9223372036854775807"},
             {&z, "2147483647", "bytes, but the file has"}}) {
        SCOPED_TRACE(typed);
        h.Fill(c);
        h.Type(*box, typed);
        EXPECT_NE(h.ClickApply().find(message), std::string::npos) << h.dialog->Message().ToStdString();
    }
    // Only digits go in; without Y nothing can be applied.
    h.Type(h.dialog->XBox(), "1a7-e+");
    EXPECT_EQ(h.dialog->XBox().GetText(), String("17"));
    h.Type(h.dialog->YBox(), "");
    EXPECT_FALSE(h.dialog->ApplyButton().IsEnabled());
    EXPECT_FALSE(h.dialog->Apply());
    EXPECT_TRUE(h.settings->Factories().empty());
    EXPECT_EQ(h.saves, 0);
    EXPECT_TRUE(h.reloaded.empty());
}

TEST(RAWImportDialog, AnEntryBeyond4GiBSurvivesTheSettingsFileAndIsShownAgain)
{
    TestSupport::TempFolder folder;
    const String file = TestSupport::PathString(folder.File("settings.rml"));
    Host h;
    SettingsTree saved(h.settings);
    const std::vector<Case> cases = Cases();
    const Case c = *std::find_if(cases.begin(), cases.end(), [](const Case &k) { return k.name == "beyond-4GiB.raw"; });
    ASSERT_GT(c.offset, std::int64_t(1) << 32);
    h.Open(c);
    h.Fill(c);
    h.dialog->SetCallbacks({[&] {
                                IWriterFromPropertyWriter writer(MakeShared<RMLPropertyWriter>(file));
                                saved.root.Write(writer);
                            },
                            nullptr});
    // Return applies once no box is being edited.
    h.platform->InjectKey(h.gui.WindowOf(*h.dialog), M::KeyDown, 13);
    h.gui.ProcessPendingMessages();
    ASSERT_EQ(h.settings->FactoryFor("raw")->Table()->size(), 1u) << h.dialog->Message().ToStdString();

    // Read back into tables of their own, as at the next start.
    auto loaded = MakeShared<RAWDecoderSettings>(nullptr);
    SettingsTree again(loaded);
    IReaderFromPropertyReader reader(MakeShared<RMLPropertyReader>(file));
    again.root.Read(reader);
    EXPECT_TRUE(Decoded(*loaded, c) == c.Expected());

    // The decoder's entry fills the dialog again, offset and all.
    const SharedPtr<IDecoder> decoder = loaded->FactoryFor("RAW")->Create(MakeShared<FileStream>(c.Path()), nullptr);
    h.Open(c, RAWEntryOf(decoder));
    EXPECT_EQ(h.dialog->OffsetBox().GetText(), String::FromInteger(c.offset));
    EXPECT_EQ(h.dialog->XBox().GetText(), String::FromInteger(c.x));
    EXPECT_EQ(h.dialog->ZBox().GetText(), String());

    // Another decoder's file hides it; the main window stays.
    HideRAWImportDialog(h.gui);
    EXPECT_EQ(h.dialog->GetGUI(), nullptr);
    EXPECT_EQ(h.platform->Windows().size(), 1u);
}

} // namespace Brintavolex
