// The open dialogs in Wine's real windows: a second thread finds the dialog
// of this process, reads its file types, types a path into the file-name box
// and presses Enter, or presses Escape, as a user would.
#include "Platform/api/Language.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/Codecs.h"
#include "this/src/Win32/OpenFileDialogWin32.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace Brintavolex {
namespace {

using Clock = std::chrono::steady_clock;
// Wine draws its first dialog of a run slowly; nothing here waits longer.
constexpr auto kDialogWait = std::chrono::seconds(30);
constexpr auto kPoll = std::chrono::milliseconds(50);

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

HWND FindOwnDialog()
{
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != GetCurrentProcessId() || ClassOf(window) != L"#32770" || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND *>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND> *>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The items of the combo box that lists "*.*": the file types.
std::vector<std::wstring> FileTypes(HWND dialog)
{
    for (HWND box : Descendants(dialog)) {
        if (ClassOf(box) != L"ComboBox")
            continue;
        std::vector<std::wstring> items;
        const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && i < 64; ++i) {
            const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, WPARAM(i), 0);
            if (length < 0 || length > 1000)
                break;
            std::wstring item(std::size_t(length) + 1, L'\0');
            SendMessageW(box, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
            item.resize(std::size_t(length));
            items.push_back(item);
        }
        if (!items.empty() && items[0].find(L"*.*") != std::wstring::npos)
            return items;
    }
    return {};
}

// The file-name box: the first visible, writable edit control.
HWND FileNameBox(HWND dialog)
{
    for (HWND window : Descendants(dialog))
        if (ClassOf(window) == L"Edit" && IsWindowVisible(window) && !(GetWindowLongW(window, GWL_STYLE) & ES_READONLY))
            return window;
    return nullptr;
}

std::string Describe(HWND dialog)
{
    std::wstring text = L"dialog \"" + TextOf(dialog) + L"\":";
    for (HWND window : Descendants(dialog))
        text += L" [" + ClassOf(window) + L" " + std::to_wstring(GetDlgCtrlID(window)) + L" \"" + TextOf(window) +
                L"\"]";
    return String(StringExpr(Win32::ToU16(text.c_str()))).ToStdString();
}

struct Seen {
    std::vector<std::wstring> fileTypes;
    std::string problem;
};

// Answers the dialog that AskOpenPath shows on the calling thread: types
// `typed` (unless empty) and presses `key`. Closes every dialog of the
// process when the answer does not take, so that the test never hangs.
class DialogDriver {
public:
    DialogDriver(std::wstring typed, WPARAM key) : _thread([this, typed, key] { Run(typed, key); }) {}
    ~DialogDriver() { Finish(); }
    const Seen &Finish()
    {
        _done = true;
        if (_thread.joinable())
            _thread.join();
        return _seen;
    }

private:
    void Run(const std::wstring &typed, WPARAM key)
    {
        const auto end = Clock::now() + kDialogWait;
        HWND dialog = nullptr;
        HWND box = nullptr;
        while (!_done && Clock::now() < end && !(dialog && box)) {
            std::this_thread::sleep_for(kPoll);
            dialog = FindOwnDialog();
            box = dialog ? FileNameBox(dialog) : nullptr;
        }
        if (_done)
            return;
        if (!dialog || !box) {
            _seen.problem = dialog ? "no file-name box in " + Describe(dialog) : "no dialog showed";
            CloseAll();
            return;
        }
        _seen.fileTypes = FileTypes(dialog);
        if (!typed.empty())
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        // As from the keyboard: the dialog's message loop turns the key into
        // its default or cancel command.
        PostMessageW(box, WM_KEYDOWN, key, 0);
        PostMessageW(box, WM_KEYUP, key, 0);
        const auto closeBy = Clock::now() + std::chrono::seconds(10);
        while (!_done && Clock::now() < closeBy)
            std::this_thread::sleep_for(kPoll);
        if (!_done) {
            _seen.problem = "the key did not close " + Describe(dialog);
            CloseAll();
        }
    }

    void CloseAll()
    {
        while (!_done) {
            if (HWND dialog = FindOwnDialog()) {
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    std::atomic<bool> _done{false};
    Seen _seen;
    std::thread _thread;
};

std::wstring LongPath(const std::wstring &path)
{
    wchar_t full[MAX_PATH] = {};
    return GetLongPathNameW(path.c_str(), full, MAX_PATH) ? std::wstring(full) : path;
}

class OpenFileDialogWin32 : public ::testing::Test {
protected:
    void SetUp() override
    {
        _com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        UseApplicationCodecs();
        Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
        _owner = CreateWindowExW(0, L"STATIC", L"Open dialog owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(_owner, nullptr);
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        _file = LongPath(folder) + L"brintavolex-open-" + std::to_wstring(GetCurrentProcessId()) + L".png";
        std::ofstream(_file.c_str(), std::ios::binary) << "any bytes";
        _file = LongPath(_file);
    }
    void TearDown() override
    {
        DeleteFileW(_file.c_str());
        if (_owner)
            DestroyWindow(_owner);
        Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
        if (SUCCEEDED(_com))
            CoUninitialize();
    }

    // Chooses the file by typing its path and pressing Enter, then cancels
    // a second time with Escape.
    void ChooseThenCancel(const std::function<String(HWND)> &ask)
    {
        DialogDriver chooser(_file, VK_RETURN);
        const String chosen = ask(_owner);
        const Seen seen = chooser.Finish();
        EXPECT_EQ(seen.problem, "");
        EXPECT_EQ(Win32::ToW(StringExpr(chosen)), _file);
        ASSERT_GE(seen.fileTypes.size(), 2u);
        EXPECT_NE(seen.fileTypes[0].find(L"All files (*.*)"), std::wstring::npos);
        bool png = false;
        for (const std::wstring &type : seen.fileTypes)
            png |= type.find(L"PNG files (*.png)") != std::wstring::npos;
        EXPECT_TRUE(png);

        DialogDriver canceller(L"", VK_ESCAPE);
        String cancelled;
        EXPECT_NO_THROW(cancelled = ask(_owner));
        EXPECT_EQ(canceller.Finish().problem, "");
        EXPECT_TRUE(cancelled.Empty()) << cancelled.ToStdString();
    }

    HRESULT _com = E_FAIL;
    HWND _owner = nullptr;
    std::wstring _file;
};

TEST_F(OpenFileDialogWin32, TheCommonItemDialogReturnsATypedPathAndNothingWhenCancelled)
{
    ChooseThenCancel([](HWND owner) { return AskOpenPath(owner); });
    ChooseThenCancel([](HWND owner) { return AskOpenPathWithItemDialog(owner); });
}

TEST_F(OpenFileDialogWin32, TheOlderDialogReturnsATypedPathAndNothingWhenCancelled)
{
    ChooseThenCancel([](HWND owner) { return AskOpenPathWithClassicDialog(owner); });
}

} // namespace
} // namespace Brintavolex
