// File lists over a real Windows folder: a file another program holds
// locked, a link from a subfolder back to the folder, and the shell's
// Explorer windows (stubs under Wine), which leave the folder order.
#include "this/src/Codecs.h"
#include "this/src/FileList/FileLists.h"
#include "Platform/api/FileSystem.h"
#include "Platform/api/String.h"
#include "Platform/api/Win32/WideText.h"

#include "support/Printers.h"
#include "support/TempFolder.h"
#include "support/Win32/ProcessRunner.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace Brintavolex {

namespace {

bool IsFolderLink(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link from link to target: a symbolic link where the system makes one,
// else a junction through the command processor. False when neither works
// (Wine 8 reports success for symbolic links it does not make).
bool MakeFolderLink(const std::wstring &link, const std::wstring &target)
{
    constexpr DWORD kUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) &&
        IsFolderLink(link))
        return true;
    TestSupport::RunProcess(L"cmd.exe /c mklink /J \"" + link + L"\" \"" + target + L"\"", 30000);
    return IsFolderLink(link);
}

std::set<std::string> Listed(IFileList &list)
{
    std::set<std::string> paths;
    for (std::uint64_t i = 0; i < list.GetCount(); ++i)
        paths.insert(ToUTF8(list.GetFileFullPath(i)));
    return paths;
}

} // namespace

TEST(FileListWin32, StepsOverALockedFileAndNeverEntersAFolderLink)
{
    UseApplicationCodecs();
    TestSupport::TempFolder folder;
    for (const char *name : {"a.bmp", "b.PNG", "c.txt", "locked.jpg", "z.tif"})
        folder.Write(name, "x");
    ASSERT_TRUE(CreateDirectoryW(Win32::ToW(FromUTF8(folder.File("sub"))).c_str(), nullptr));
    folder.Write("sub\\d.jpg", "x");
    const std::wstring link = Win32::ToW(FromUTF8(folder.File("sub\\back")));
    const bool linked = MakeFolderLink(link, Win32::ToW(FromUTF8(folder.Path())));
    if (linked) {
        bool reported = false;
        for (const Platform::FolderEntry &entry : Platform::ListFolder(FromUTF8(folder.File("sub"))))
            reported = reported || (entry.name == String("back") && entry.kind == Platform::FolderEntry::Kind::FolderLink);
        EXPECT_TRUE(reported) << "the link is no folder link";
    } else {
        std::printf("note: this system made neither a symbolic link nor a junction to a folder\n");
    }

    // Held with no sharing, as a program writing it would.
    const HANDLE lock = CreateFileW(Win32::ToW(FromUTF8(folder.File("locked.jpg"))).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const SharedPtr<IFileList> list = ListForDroppedFolder(FromUTF8(folder.Path()));
    EXPECT_EQ(Listed(*list), (std::set<std::string>{folder.File("a.bmp"), folder.File("b.PNG"), folder.File("locked.jpg"),
                                                    folder.File("z.tif"), folder.File("sub\\d.jpg")}));
    std::set<std::string> visited;
    IFileList::Iterator at{list};
    for (int step = 0; step < 8; ++step) {
        at = list->MoveIterator(at, +1);
        ASSERT_TRUE(at.HasPosition());
        visited.insert(ToUTF8(list->GetNormalizedPathFromIterator(at)));
    }
    EXPECT_EQ(visited, (std::set<std::string>{folder.File("a.bmp"), folder.File("b.PNG"), folder.File("z.tif"),
                                              folder.File("sub\\d.jpg")}));
    CloseHandle(lock);
    // Unlocked, it is stepped onto again.
    visited.clear();
    for (int step = 0; step < 5; ++step) {
        at = list->MoveIterator(at, +1);
        visited.insert(ToUTF8(list->GetNormalizedPathFromIterator(at)));
    }
    EXPECT_EQ(visited, Listed(*list));
    if (linked)
        RemoveDirectoryW(link.c_str());
}

TEST(FileListWin32, ReadsAFolderOnceWhenALinkTheSystemHidesLeadsBackToIt)
{
    UseApplicationCodecs();
    // Wine's drive Z: is the Unix root.
    std::string loop = std::string("Z:") + BRINTAVOLEX_TEST_FOLDER_LOOP;
    std::replace(loop.begin(), loop.end(), '/', '\\');
    std::vector<std::string> read;
    const SharedPtr<IFileList> list =
        ListForDroppedFolder(FromUTF8(loop), [&](const String &folder) { read.push_back(ToUTF8(folder)); });
    EXPECT_EQ(Listed(*list), (std::set<std::string>{loop + "\\a.jpg", loop + "\\sub\\b.png"}));
    EXPECT_LE(read.size(), 3u);
}

TEST(FileListWin32, WithoutAnExplorerWindowOnTheFolderTheFolderOrderIsTaken)
{
    UseApplicationCodecs();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        TestSupport::TempFolder folder;
        for (const char *name : {"one.png", "Two.JPG", "three.txt"})
            folder.Write(name, "x");
        const String file = FromUTF8(folder.File("two.jpg"));
        const SharedPtr<IExplorerWindows> windows = SystemExplorerWindows();
        std::printf("note: the shell reports %u Explorer windows\n", unsigned(windows->GetWindows().size()));
        const FileListPosition opened = ListForOpenedFile(file, *windows);
        const FileListPosition chosen = ListForChosenFile(file);
        EXPECT_EQ(Listed(*opened.list), Listed(*chosen.list));
        ASSERT_TRUE(opened.current.HasPosition());
        EXPECT_EQ(ToUTF8(opened.list->GetNormalizedPathFromIterator(opened.current)), folder.File("Two.JPG"));
        EXPECT_TRUE(opened.list->SelectFile(opened.current));
    }
    CoUninitialize();
}

} // namespace Brintavolex
