#include "this/src/PropertyTreeModel.h"

#include "Interface/api/Composite.h"
#include "Interface/api/CompositeOfProperties.h"

#include "support/TempFolder.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Brintavolex {

namespace {

std::string Describe(const std::vector<PropertyTreeLine> &lines)
{
    std::string text;
    for (const auto &line : lines) {
        text += std::string(line.depth * 2, ' ') + (line.expandable ? "+ " : "- ") + line.name.ToStdString() +
                " = " + line.value.ToStdString() + "\n";
    }
    return text;
}

SharedPtr<IProperty> Header()
{
    auto root = MakeShared<Composite>();
    auto info = MakeShared<Composite>();
    info->Add("biWidth", SInt32(-1));
    info->Add("biBitCount", UInt16(24));
    const float gamma[] = {1.0f, 2.2f, 0.1f};
    info->Add("Gamma", gamma, 3);
    const char signature[] = {'B', 'M'};
    info->Add("bfType", signature, 2);
    const bool flags[] = {true, false};
    info->Add("Flags", SharedPtr<IProperty>(new ArrayComposite<bool>(flags, 2)));
    root->Add("BITMAPINFOHEADER", info);
    auto empty = MakeShared<Composite>();
    root->Add("Empty", empty);
    root->Add("Offset", UInt64(54));
    return root;
}

// What a careless or hostile plug-in might present.
class Strange : public PropertyDefaults
{
public:
    Strange(std::uint8_t type, std::uint64_t children, std::uint64_t values, bool nullChild = false)
        : _type(type), _children(children), _values(values), _nullChild(nullChild)
    {
    }
    std::uint8_t GetValueType() override { return _type; }
    std::uint64_t GetValueCount() override { return _values; }
    void GetAsUInt8(UInt8 *out, std::uint64_t start, std::uint64_t count) override
    {
        for (std::uint64_t i = 0; i < count; ++i)
            out[i] = UInt8(start + i);
    }
    void GetAsString(String &) override { throw Exception("Strange::GetAsString: failed"); }
    std::uint64_t GetCount() override { return _children; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override
    {
        ++asked;
        if (_nullChild)
            return nullptr;
        return SharedFromThis<ISceneItem>(); // a cycle
    }

    std::uint64_t asked = 0;

protected:
    const char *ClassName() const override { return "Strange"; }

private:
    std::uint8_t _type;
    std::uint64_t _children;
    std::uint64_t _values;
    bool _nullChild;
};

} // namespace

TEST(PropertyTreeModel, LinesShowNamesValuesAndDepth)
{
    EXPECT_EQ(Describe(FlattenPropertyTree(Header())), "+ BITMAPINFOHEADER = \n"
                                                       "  - biWidth = -1\n"
                                                       "  - biBitCount = 24\n"
                                                       "  - Gamma = 1, 2.2, 0.1\n"
                                                       "  - bfType = BM\n"
                                                       "  - Flags = true, false\n"
                                                       "- Empty = \n"
                                                       "- Offset = 54\n");
    const auto hex = FlattenPropertyTree(Header(), true);
    EXPECT_EQ(hex[1].value, String("0xFFFFFFFF"));
    EXPECT_EQ(hex[2].value, String("0x0018"));
    EXPECT_EQ(hex[3].value, String("1, 2.2, 0.1")); // floats stay decimal
    EXPECT_EQ(hex[7].value, String("0x0000000000000036"));
}

TEST(PropertyTreeModel, UnreadableAndUnknownValuesAreNamedAsSuch)
{
    auto root = MakeShared<Composite>();
    root->Add("Text", SharedPtr<IProperty>(new Strange(ValueType::String, 0, 1)));
    root->Add("Odd", SharedPtr<IProperty>(new Strange(99, 0, 1)));
    root->Add("Long", SharedPtr<IProperty>(new Strange(ValueType::UInt8, 0, 1ull << 60)));
    const auto lines = FlattenPropertyTree(root);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].value, String("not available"));
    EXPECT_EQ(lines[1].value, String("unknown"));
    // A huge count is not allocated: the first values and an ellipsis.
    const std::string shown = lines[2].value.ToStdString();
    EXPECT_EQ(shown.substr(0, 10), "0, 1, 2, 3");
    EXPECT_EQ(shown.substr(shown.size() - 10), ", 255, ...");
}

TEST(PropertyTreeModel, HostileTreesAreBounded)
{
    auto cycle = MakeShared<Strange>(ValueType::None, 1, 0);
    EXPECT_EQ(FlattenPropertyTree(cycle).size(), 32u); // stops at a fixed depth
    auto wide = MakeShared<Strange>(ValueType::None, ~0ull, 0);
    EXPECT_EQ(FlattenPropertyTree(wide).size(), 100000u);
    auto holes = MakeShared<Strange>(ValueType::None, 3, 0, true);
    EXPECT_TRUE(FlattenPropertyTree(holes).empty());
    // Endless children that all fail: the items asked for are bounded too.
    auto endless = MakeShared<Strange>(ValueType::None, ~0ull, 0, true);
    EXPECT_TRUE(FlattenPropertyTree(endless).empty());
    EXPECT_LE(endless->asked, 1u << 20);
}

TEST(PropertyTreeModel, CollapsedItemsHideTheirDescendants)
{
    PropertyTreeModel model(Header());
    EXPECT_EQ(model.VisibleLines(), (std::vector<std::size_t>{0, 6, 7}));
    model.SetExpanded(0, true);
    EXPECT_EQ(model.VisibleLines(), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    model.SetExpanded(6, true); // nothing to expand
    EXPECT_FALSE(model.IsExpanded(6));
    model.SetExpanded(0, false);
    EXPECT_EQ(model.VisibleLines().size(), 3u);
}

TEST(PropertyTreeModel, SettingsShowTheirValueTexts)
{
    CompositeOfProperties settings(String("Settings"));
    InitializedProperty<Resampling::EnumResamplingMode> mode(&settings, String("InterpolationL100"),
                                                             Resampling::EnumResamplingMode::Area);
    CompositeOfProperties viewer(&settings, String("PlanoscopeSettings"));
    InitializedProperty<bool> ruler(&viewer, String("Ruler"), true);
    UninitializedProperty<UInt32> size(&viewer, String("Size"));
    EXPECT_EQ(Describe(FlattenPropertyTree(settings.View())), "- InterpolationL100 = Area\n"
                                                              "+ PlanoscopeSettings = \n"
                                                              "  - Ruler = true\n"
                                                              "  - Size = not available\n");
}

TEST(PropertyTreeModel, CsvQuotesAndDefusesCells)
{
    std::vector<PropertyTreeLine> lines = {
        {String("Plain"), String("1, 2"), 0, true},
        {String("Say \"hi\""), String("=HYPERLINK(\"x\")"), 1, false},
        {String("-Neg"), String("-5"), 1, false},
        {String("@at"), String("+1"), 2, false},
        {String("Multi\r\nline"), String(u"\u00C4\u20AC"), 2, false},
        {String("Tab"), String("\tcell"), 0, false},
    };
    const std::string csv = PropertyTreeCsv(lines);
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "Level,Name,Value\r\n"
                   "0,Plain,\"1, 2\"\r\n"
                   "1,\"Say \"\"hi\"\"\",\"'=HYPERLINK(\"\"x\"\")\"\r\n"
                   "1,'-Neg,'-5\r\n"
                   "2,'@at,'+1\r\n"
                   "2,\"Multi\r\nline\",\xC3\x84\xE2\x82\xAC\r\n"
                   "0,Tab,'\tcell\r\n");

    Brintavolex::TestSupport::TempFolder folder;
    const std::string path = folder.File("tree.csv");
    SavePropertyTreeCsv(Brintavolex::TestSupport::PathString(path), lines);
    EXPECT_EQ(Brintavolex::TestSupport::ReadWholeFile(path), csv);
    EXPECT_THROW(SavePropertyTreeCsv(Brintavolex::TestSupport::PathString(folder.Path()), lines), Exception);
}

} // namespace Brintavolex
