// The open dialogs in Wine's real windows, answered from a second thread as
// a user would: type a path and press Enter, or press Escape.
#include "Platform/api/Language.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/Codecs.h"
#include "this/src/OpenDialogFilters.h"
#include "this/src/Win32/OpenFileDialogWin32.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace Brintavolex {
namespace {

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

// The child windows of the dialog a thread shows (none without one).
std::vector<HWND> DialogControls(DWORD thread)
{
    std::vector<HWND> top, controls;
    EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&top));
    for (HWND window : top)
        if (ClassOf(window) == L"#32770" && IsWindowVisible(window))
            EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// Types `typed` into the file-name box of the next dialog and presses `key`
// there; past ten seconds it cancels the dialog, so no fault hangs the test.
struct DialogDriver {
    DialogDriver(std::wstring typed, WPARAM key) : thread([this, typed, key, asker = GetCurrentThreadId()] {
        for (int tick = 0; !done; ++tick, Sleep(50)) {
            const std::vector<HWND> controls = DialogControls(asker);
            for (HWND control : controls)
                if (ClassOf(control) == L"ComboBox" && SendMessageW(control, CB_GETLBTEXTLEN, 0, 0) < 256) {
                    wchar_t first[256] = {};
                    SendMessageW(control, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
                    if (std::wstring(first).find(L"*.*") != std::wstring::npos)
                        fileTypes = {first, int(SendMessageW(control, CB_GETCOUNT, 0, 0))};
                }
            for (HWND control : controls) {
                if (tick > 200)
                    forced = PostMessageW(GetAncestor(control, GA_ROOT), WM_COMMAND, IDCANCEL, 0) != 0;
                if (!answered && ClassOf(control) == L"Edit" && IsWindowVisible(control)) {
                    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
                    // The dialog's message loop makes the key its default or
                    // cancel command, as from the keyboard.
                    PostMessageW(control, WM_KEYDOWN, key, 0);
                    answered = true;
                }
            }
        }
    }) {}
    ~DialogDriver() { Finish(String()); }
    String Finish(const String &result)
    {
        done = true;
        if (thread.joinable())
            thread.join();
        return result;
    }
    std::pair<std::wstring, int> fileTypes; // the first and the count
    bool answered = false, forced = false;
    std::atomic<bool> done{false};
    std::thread thread;
};

TEST(OpenFileDialogWin32, EachDialogReturnsATypedPathAndNothingWhenCancelled)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    UseApplicationCodecs();
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    HWND owner = CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = folder + (L"brintavolex-open-" + std::to_wstring(GetCurrentProcessId()) + L".png");
    std::ofstream(path.c_str(), std::ios::binary) << "any bytes";
    GetLongPathNameW(path.c_str(), file, MAX_PATH);

    using Ask = String (*)(HWND);
    for (Ask ask : {Ask(&AskOpenPath), Ask(&AskOpenPathWithItemDialog), Ask(&AskOpenPathWithClassicDialog)}) {
        DialogDriver chooser(file, VK_RETURN);
        EXPECT_EQ(Win32::ToW(StringExpr(chooser.Finish(ask(owner)))), file);
        EXPECT_NE(chooser.fileTypes.first.find(L"All files (*.*)"), std::wstring::npos);
        EXPECT_EQ(chooser.fileTypes.second, int(OpenDialogFilters(1).size()));

        DialogDriver canceller(L"", VK_ESCAPE);
        EXPECT_TRUE(canceller.Finish(ask(owner)).Empty());
        EXPECT_TRUE(canceller.answered && !canceller.forced && !chooser.forced);
    }
    DeleteFileW(path.c_str());
    DestroyWindow(owner);
    Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
    if (SUCCEEDED(com))
        CoUninitialize();
}

} // namespace
} // namespace Brintavolex
