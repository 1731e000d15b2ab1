// The Explorer-order list over stacks of fake Explorer windows that show
// real folders in shuffled orders.
#include "this/src/Codecs.h"
#include "this/src/FileList/ExplorerFileList.h"
#include "this/src/FileList/FileLists.h"

#include "portable/this/ShellIDLists.h"
#include "support/Printers.h"
#include "support/TempFolder.h"
#include "Platform/api/String.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>

namespace Brintavolex {

namespace {

using TestSupport::Bytes;

class FakeWindow final : public IExplorerWindow {
public:
    // Shows folder (spelt as shown) whose files lie in filesFolder.
    FakeWindow(std::string shown, std::string filesFolder, std::uint64_t zOrder, std::vector<std::u16string> view)
        : folder(std::move(shown)), filesFolder(std::move(filesFolder)), zOrder(zOrder), view(std::move(view))
    {
    }

    String GetFolder() override { return FromUTF8(folder); }
    std::uint64_t GetZOrder() override { return zOrder; }
    std::vector<std::uint8_t> GetViewItems() override
    {
        if (block)
            return *block;
        std::vector<Bytes> items;
        for (const std::u16string &name : view)
            items.push_back(TestSupport::IDListOf({name}));
        return TestSupport::ShellIDListBlock(TestSupport::IDListOf({u"root", u"folder"}), items);
    }
    // Items named "::virtual" are no files.
    String GetItemPath(ItemIDList, ItemIDList item) override
    {
        const std::u16string name = TestSupport::NameOf(item.data(), item.size());
        if (name == u"::virtual")
            return String();
        return FromUTF8((std::filesystem::path(filesFolder) / ToUTF8(StringExpr(name))).string());
    }
    bool SelectItem(ItemIDList item) override
    {
        selected.push_back(TestSupport::NameOf(item.data(), item.size()));
        return true;
    }

    std::string folder, filesFolder;
    std::uint64_t zOrder;
    std::vector<std::u16string> view;
    std::optional<Bytes> block; // instead of the view's
    std::vector<std::u16string> selected;
};

class FakeWindows final : public IExplorerWindows {
public:
    std::vector<SharedPtr<IExplorerWindow>> GetWindows() override
    {
        return std::vector<SharedPtr<IExplorerWindow>>(windows.begin(), windows.end());
    }
    std::vector<SharedPtr<FakeWindow>> windows;
};

std::vector<std::string> Names(IFileList &list)
{
    std::vector<std::string> names;
    for (std::uint64_t i = 0; i < list.GetCount(); ++i)
        names.push_back(std::filesystem::path(ToUTF8(list.GetFileFullPath(i))).filename().string());
    return names;
}

const std::vector<std::u16string> kFiles{u"a.jpg", u"B.png", u"c.txt", u"d.BMP", u"e.tif", u"f.dat", u"g.jpeg"};

} // namespace

TEST(ExplorerFileList, FollowsTheTopmostWindowThatShowsTheFileElseTheFolder)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder, elsewhere;
    for (const std::u16string &name : kFiles)
        folder.Write(ToUTF8(StringExpr(name)), "x");
    const String opened = FromUTF8(folder.File("a.jpg"));
    const std::vector<std::string> folderOrder = Names(*ListForChosenFile(opened).list);

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        FakeWindows windows;
        std::vector<std::uint64_t> zOrders{0, 1, 2, 3, 4, 5};
        std::shuffle(zOrders.begin(), zOrders.end(), random);
        const int count = int(random() % 5);
        for (int w = 0; w < count; ++w) {
            std::vector<std::u16string> view = kFiles;
            std::shuffle(view.begin(), view.end(), random);
            if (random() % 4 == 0)
                view.erase(std::find(view.begin(), view.end(), u"a.jpg")); // hidden or filtered out
            view.insert(view.begin() + long(random() % view.size()), u"::virtual");
            // The same folder as Explorer may spell it, or another.
            const bool other = random() % 4 == 0;
            const std::string filesFolder = other ? elsewhere.Path() : folder.Path();
            std::string shown = filesFolder;
            if (random() % 2)
                std::transform(shown.begin(), shown.end(), shown.begin(), ::toupper);
            if (random() % 2)
                shown += std::filesystem::path::preferred_separator;
            windows.windows.push_back(MakeShared<FakeWindow>(shown, filesFolder, zOrders[std::size_t(w)], view));
        }
        SharedPtr<FakeWindow> followed;
        for (const SharedPtr<FakeWindow> &window : windows.windows)
            if (window->filesFolder == folder.Path() && (!followed || window->zOrder < followed->zOrder))
                followed = window;
        const bool showsFile =
            followed && std::count(followed->view.begin(), followed->view.end(), u"a.jpg") != 0;

        const FileListPosition position = ListForOpenedFile(opened, windows);
        std::vector<std::string> expected = folderOrder;
        if (showsFile) {
            expected.clear();
            for (const std::u16string &name : followed->view)
                if (name != u"c.txt" && name != u"f.dat" && name != u"::virtual")
                    expected.push_back(ToUTF8(StringExpr(name)));
        }
        ASSERT_EQ(Names(*position.list), expected);
        ASSERT_TRUE(position.current.HasPosition());
        EXPECT_EQ(position.list->GetNormalizedPathFromIterator(position.current), opened);
        if (showsFile) {
            EXPECT_TRUE(position.list->SelectFile(position.list->MoveIterator(position.current, +1)));
            ASSERT_EQ(followed->selected.size(), 1u);
            EXPECT_EQ(ToUTF8(StringExpr(followed->selected[0])),
                      expected[(position.current.index + 1) % expected.size()]);
        }
    }
}

TEST(ExplorerFileList, AWindowWithAMalformedItemArrayIsNotFollowed)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder;
    for (const std::u16string &name : kFiles)
        folder.Write(ToUTF8(StringExpr(name)), "x");
    FakeWindows windows;
    windows.windows.push_back(MakeShared<FakeWindow>(folder.Path(), folder.Path(), 0, kFiles));
    const String opened = FromUTF8(folder.File("d.BMP"));
    ASSERT_TRUE(ExplorerFileList::Create(opened, windows));
    for (const Bytes &block : {Bytes{}, Bytes{1, 0, 0, 0, 8}, Bytes(64, 0xFF)}) {
        windows.windows[0]->block = block;
        EXPECT_FALSE(ExplorerFileList::Create(opened, windows));
        const FileListPosition fallback = ListForOpenedFile(opened, windows);
        EXPECT_EQ(Names(*fallback.list), Names(*ListForChosenFile(opened).list));
        EXPECT_TRUE(fallback.current.HasPosition());
    }
}

} // namespace Brintavolex
