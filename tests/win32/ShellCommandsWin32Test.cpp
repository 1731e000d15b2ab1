// The shell's commands under Wine: a silent delete moves the file into the
// XDG trash of $HOME (where Wine's recycle bin lives), a missing file fails
// with the system's reason, and printing a file nothing can print shows
// the SE_ERR_NOASSOC message in a real message box.
#include "Platform/api/ErrorLog.h"
#include "Platform/api/Language.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/ShellCommands.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace Brintavolex {
namespace {

std::wstring TempFile(const std::wstring &name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    std::ofstream(path.c_str(), std::ios::binary) << "not a picture";
    return path;
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

String ToString(const std::wstring &text) { return String(StringExpr(Win32::ToU16(text.c_str()))); }

// $XDG_DATA_HOME/Trash, else the Unix home's .local/share/Trash (Wine
// names the home as an NT path in WINEHOMEDIR), as a Windows path.
std::wstring TrashFolder()
{
    wchar_t value[MAX_PATH] = {};
    std::wstring folder;
    if (GetEnvironmentVariableW(L"XDG_DATA_HOME", value, MAX_PATH))
        folder = L"Z:" + std::wstring(value) + L"/Trash";
    else if (GetEnvironmentVariableW(L"WINEHOMEDIR", value, MAX_PATH))
        folder = std::wstring(value).substr(4) + L"/.local/share/Trash"; // drops the "\??\" prefix
    for (wchar_t &c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

// A dialog box of this process, with its caption.
HWND FindOwnDialog(std::wstring &caption)
{
    struct Search {
        HWND found = nullptr;
        std::wstring caption;
    } search;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (process != GetCurrentProcessId() || std::wstring(name) != L"#32770" || !IsWindowVisible(window))
                return TRUE;
            auto &s = *reinterpret_cast<Search *>(data);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            s.found = window;
            s.caption = text;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    caption = search.caption;
    return search.found;
}

// Closes the first message box of this process that shows within ten
// seconds; its caption and text.
std::wstring AnswerMessageBox(std::wstring &caption)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (HWND box = FindOwnDialog(caption)) {
            wchar_t text[1024] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return L"(no message box)";
}

TEST(ShellCommandsWin32, ASilentDeleteMovesTheFileIntoTheTrashAndAMissingOneFails)
{
    const std::wstring name = L"brintavolex-delete-" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    const std::wstring path = TempFile(name);
    ASSERT_TRUE(Exists(path));
    const SharedPtr<IShellCommands> shell = SystemShellCommands();
    const DeleteResult deleted = shell->DeleteToRecycleBin(0, ToString(path), true);
    EXPECT_EQ(deleted.outcome, DeleteOutcome::Deleted) << deleted.reason.ToStdString();
    EXPECT_FALSE(Exists(path));
    const std::wstring trashed = TrashFolder() + L"\\files\\" + name;
    EXPECT_TRUE(Exists(trashed)) << "not in " << ToString(trashed).ToStdString();
    DeleteFileW(trashed.c_str());
    DeleteFileW((TrashFolder() + L"\\info\\" + name + L".trashinfo").c_str());

    const DeleteResult missing = shell->DeleteToRecycleBin(0, ToString(path), true);
    EXPECT_NE(missing.outcome, DeleteOutcome::Deleted);
    if (missing.outcome == DeleteOutcome::Failed) {
        EXPECT_FALSE(missing.reason.Empty());
    }
}

TEST(ShellCommandsWin32, PrintingAFileWithoutAssociationShowsTheNoAssociationMessage)
{
    // As in the viewer, whose GUI thread has OLE: the shell may hand the
    // verb to COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    const std::wstring path = TempFile(L"brintavolex-print.brintavolexnoassoc");
    std::wstring shown, caption;
    std::thread answer([&] { shown = AnswerMessageBox(caption); });
    const bool executed = SystemShellCommands()->Execute(0, "print", ToString(path));
    answer.join();
    DeleteFileW(path.c_str());
    Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
    if (SUCCEEDED(com))
        CoUninitialize();
    EXPECT_FALSE(executed);
    EXPECT_EQ(ToString(caption).ToStdString(), ErrorLog::ProductName().ToStdString());
    std::erase(shown, L'\r');
    EXPECT_EQ(ToString(shown).ToStdString(),
              "SE_ERR_NOASSOC\nThere is no application associated with the given file name extension. This error "
              "will also be returned if you attempt to print a file that is not printable.");
}

} // namespace
} // namespace Brintavolex
