// Folder lists over real random trees, checked against what each tree was
// made of: which files exist, which a decoder claims, which can be opened.
#include "this/src/Codecs.h"
#include "this/src/FileList/FileListFilter.h"
#include "this/src/FileList/FileLists.h"
#include "this/src/FileList/FolderFileList.h"

#include "support/Printers.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"
#include "Platform/api/String.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Brintavolex {

namespace {

namespace fs = std::filesystem;

struct MadeFile {
    std::string path;
    std::string folder;
    bool claimed;  // by its extension
    bool openable; // a real, readable file not named ":..."
};

// A random tree of files with mixed-case extensions, some claimed by the
// built-in decoders and some not, subfolders two deep, and where the system
// allows them: names with ':', a link from a subfolder back to the root
// (which must not be followed), links to files, a dangling and a looping
// link.
struct RandomTree {
    TestSupport::TempFolder root;
    std::vector<MadeFile> files;

    explicit RandomTree(unsigned seed)
    {
        std::mt19937 random(seed);
        const std::pair<const char *, bool> extensions[] = {
            {".jpg", true}, {".JPEG", true}, {".Png", true}, {".bmp", true}, {".TIF", true},
            {".ico", true}, {".txt", false}, {".jpg.bak", false}, {"", false}, {".xyz", false}};
        std::vector<std::string> folders{root.Path()};
        std::set<std::string> taken;
        for (std::size_t f = 0; f < folders.size(); ++f) {
            const std::string folder = folders[f];
            const int depth = int(std::count(folder.begin() + long(root.Path().size()), folder.end(),
                                             char(fs::path::preferred_separator)));
            for (int i = 0, n = int(random() % 7); i < n; ++i) {
                const auto &[extension, claimed] = extensions[random() % std::size(extensions)];
                std::string name = "f" + std::to_string(random() % 1000);
                if (random() % 2)
                    name[0] = 'F';
                name += extension;
                std::string lower = folder + "/" + name;
                std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
                if (!taken.insert(lower).second)
                    continue;
                files.push_back({Write(folder, name), folder, claimed, true});
            }
            for (int i = 0, n = depth < 2 ? int(random() % 3) : 0; i < n; ++i) {
                const std::string sub = (fs::path(folder) / ("Sub" + std::to_string(f) + "_" + std::to_string(i))).string();
                fs::create_directory(sub);
                folders.push_back(sub);
            }
        }
        const std::string &deepest = folders.back();
        std::error_code ignored; // Windows may refuse
        fs::create_directory_symlink(root.Path(), fs::path(deepest) / "loop", ignored);
#ifndef _WIN32
        files.push_back({Write(deepest, ":colon.jpg"), deepest, true, false});
        files.push_back({Write(deepest, "a:b.png"), deepest, true, true});
        files.push_back({Write(deepest, ".hidden.jpg"), deepest, true, true});
        files.push_back({Write(root.Path(), "target.dat"), root.Path(), false, true});
        files.push_back({Link(deepest, "alias.jpg", files.back().path), deepest, true, true});
        files.push_back({Link(deepest, "dangling.png", "/nonexistent/x.png"), deepest, true, false});
        files.push_back({Link(deepest, "looping.bmp", "looping.bmp"), deepest, true, false});
        // Permissions bind everyone but the superuser.
        if (geteuid() != 0) {
            files.push_back({Write(deepest, "unreadable.tif"), deepest, true, false});
            chmod(files.back().path.c_str(), 0);
        }
#endif
    }

    std::set<std::string> PathsWhere(bool (*keep)(const MadeFile &)) const
    {
        std::set<std::string> paths;
        for (const MadeFile &file : files)
            if (keep(file))
                paths.insert(file.path);
        return paths;
    }

private:
    static std::string Write(const std::string &folder, const std::string &name)
    {
        const std::string path = (fs::path(folder) / name).string();
        std::ofstream(path, std::ios::binary) << "picture";
        return path;
    }
    static std::string Link(const std::string &folder, const std::string &name, const std::string &target)
    {
        const std::string path = (fs::path(folder) / name).string();
        fs::create_symlink(target, path);
        return path;
    }
};

std::vector<std::string> Paths(IFileList &list)
{
    std::vector<std::string> paths;
    for (std::uint64_t i = 0; i < list.GetCount(); ++i)
        paths.push_back(ToUTF8(list.GetFileFullPath(i)));
    return paths;
}

// Steps forward from no position through one full round and checks that
// every openable entry comes once, the next step wraps to the first, and
// each step back undoes the step forward.
std::vector<std::string> OneRound(IFileList &list, std::size_t expected)
{
    std::vector<std::string> visited;
    IFileList::Iterator at{list.SharedFromThis<IFileList>()};
    for (std::size_t i = 0; i < expected; ++i) {
        const IFileList::Iterator next = list.MoveIterator(at, +1);
        EXPECT_TRUE(next.HasPosition());
        if (!next.HasPosition())
            return visited;
        if (at.HasPosition()) {
            EXPECT_EQ(list.MoveIterator(next, -1).index, at.index) << "back from " << next.index;
        }
        visited.push_back(ToUTF8(list.GetNormalizedPathFromIterator(next)));
        at = next;
    }
    const IFileList::Iterator wrapped = list.MoveIterator(at, +1);
    if (!visited.empty())
        EXPECT_EQ(ToUTF8(list.GetNormalizedPathFromIterator(wrapped)), visited.front());
    else
        EXPECT_TRUE(wrapped.Empty());
    return visited;
}

} // namespace

TEST(FolderFileList, RandomTreesListClaimedFilesOwnFilesFirstAndStepThroughEachOnce)
{
    UseApplicationCodecs();
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomTree tree(seed);
        const SharedPtr<IFileList> list = ListForDroppedFolder(FromUTF8(tree.root.Path()));
        const std::vector<std::string> listed = Paths(*list);
        EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
                  tree.PathsWhere([](const MadeFile &f) { return f.claimed; }));
        EXPECT_EQ(listed.size(), std::set<std::string>(listed.begin(), listed.end()).size()) << "listed twice";

        // A folder's own files come before every file below it.
        std::map<std::string, std::string> folderOf;
        for (const MadeFile &file : tree.files)
            folderOf[file.path] = file.folder;
        for (std::size_t i = 0; i < listed.size(); ++i)
            for (std::size_t j = 0; j < i; ++j) {
                const std::string &earlier = folderOf[listed[j]], &later = folderOf[listed[i]];
                EXPECT_FALSE(earlier.size() > later.size() && earlier.rfind(later, 0) == 0)
                    << listed[i] << " after " << listed[j];
            }

        const std::set<std::string> openable = tree.PathsWhere([](const MadeFile &f) { return f.claimed && f.openable; });
        const std::vector<std::string> round = OneRound(*list, openable.size());
        EXPECT_EQ(std::set<std::string>(round.begin(), round.end()), openable);

        // Files that go after the scan are stepped over; a step never lands on one.
        std::set<std::string> left;
        int made = 0;
        for (const std::string &path : openable)
            if (made++ % 3 != 0 || !fs::remove(path))
                left.insert(path);
        EXPECT_TRUE(openable.empty() || left.size() < openable.size());
        const std::vector<std::string> after = OneRound(*list, left.size());
        EXPECT_EQ(std::set<std::string>(after.begin(), after.end()), left);
    }
}

TEST(FileListFilter, KeepsClaimedFilesAndTheOpenedOneFindsItInAnyCaseAndWrapsBothWays)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder;
    for (const char *name : {"b.png", "notes.txt", "Photo.JPG", "other.dat", "raw.dat", "c.bmp"})
        folder.Write(name, "x");
    // Opened by a name that differs in case from the file's own.
    const FileListPosition opened = ListForChosenFile(FromUTF8(folder.File("photo.jpg")));
    ASSERT_TRUE(opened.current.HasPosition());
    EXPECT_EQ(ToUTF8(opened.list->GetNormalizedPathFromIterator(opened.current)), folder.File("Photo.JPG"));
    std::vector<std::string> kept = Paths(*opened.list);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{folder.File("Photo.JPG"), folder.File("b.png"), folder.File("c.bmp")}));

    // A file a decoder took despite its extension stays in its list, alone of its kind.
    const FileListPosition raw = ListForChosenFile(FromUTF8(folder.File("raw.dat")));
    ASSERT_TRUE(raw.current.HasPosition());
    EXPECT_EQ(raw.list->GetCount(), 4u);
    EXPECT_EQ(OneRound(*raw.list, 4).size(), 4u);

    // First and last are neighbours in both directions.
    IFileList &list = *opened.list;
    const IFileList::Iterator first = list.GetIteratorFromIndex(0), last = list.GetIteratorFromIndex(2);
    EXPECT_EQ(list.MoveIterator(last, +1).index, 0u);
    EXPECT_EQ(list.MoveIterator(first, -1).index, 2u);
    EXPECT_EQ(list.MoveIterator(IFileList::Iterator{opened.list}, -1).index, 2u);

    // The filter's positions and its parent's.
    const SharedPtr<IFileList> parent = FolderFileList::Create(FromUTF8(folder.Path()));
    const SharedPtr<FileListFilter> filter = FileListFilter::Create(parent);
    const IFileList::Iterator inParent = parent->GetIteratorFromNormalizedPath(FromUTF8(folder.File("c.bmp")));
    EXPECT_EQ(filter->GetFileFullPath(filter->GetIteratorFromParentIterator(inParent).index),
              FromUTF8(folder.File("c.bmp")));
    EXPECT_EQ(Thrown([&] {
                  filter->GetIteratorFromParentIterator(
                      parent->GetIteratorFromNormalizedPath(FromUTF8(folder.File("notes.txt"))));
              }),
              "FileListFilter::GetIteratorFromParentIterator: index not found");
    EXPECT_EQ(Thrown([&] { filter->GetIndexFromIterator(inParent); }),
              "FileListFilter::GetIndexFromIterator: invalid pointer");
    EXPECT_EQ(Thrown([&] { parent->MoveIterator(IFileList::Iterator{}, 1); }),
              "FolderFileList::MoveIterator: iterator is nullptr");
    EXPECT_EQ(Thrown([&] { parent->MoveIterator(inParent, 0); }),
              "FolderFileList::MoveIterator: direction must be -1 or +1");
    EXPECT_EQ(Thrown([] { FileListFilter::Create(nullptr); }), "FileListFilter::FileListFilter: list is nullptr");
}

TEST(FolderFileList, OneFileMovesOntoItselfAndNoFileGivesAnEmptyIterator)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder;
    const FileListPosition empty = ListForChosenFile(FromUTF8(folder.File("gone.jpg")));
    EXPECT_EQ(empty.list->GetCount(), 0u);
    EXPECT_FALSE(empty.current.HasPosition());
    EXPECT_TRUE(empty.list->MoveIterator(empty.current, +1).Empty());
    EXPECT_EQ(FolderFileList::Create(FromUTF8(folder.File("missing")))->GetCount(), 0u);

    folder.Write("only.png", "x");
    const FileListPosition one = ListForChosenFile(FromUTF8(folder.File("only.png")));
    EXPECT_EQ(one.list->MoveIterator(one.current, +1).index, one.current.index);
    EXPECT_EQ(one.list->MoveIterator(one.current, -1).index, one.current.index);
    fs::remove(folder.File("only.png"));
    EXPECT_TRUE(one.list->MoveIterator(one.current, +1).Empty());
}

} // namespace Brintavolex
