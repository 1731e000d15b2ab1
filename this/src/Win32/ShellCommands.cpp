// The shell's commands: the recycle bin through SHFileOperationW, a file's
// associated program through ShellExecuteW, message boxes.
#include "this/src/ShellCommands.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Win32/WideText.h"

#include <windows.h>
#include <shellapi.h>

#include <cinttypes>
#include <cstdio>

namespace Brintavolex {

namespace {

// ShellExecute reports failure with a result of this or less.
constexpr std::intptr_t kLastFailureResult = 32;

// The system's text for an error code, in the user's language.
String SystemErrorText(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::u16string text;
    if (length && buffer) {
        text = Win32::ToU16(buffer, length);
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
            text.pop_back();
    }
    if (buffer)
        LocalFree(buffer);
    if (!text.empty())
        return String(StringExpr(text));
    char fallback[48];
    std::snprintf(fallback, sizeof fallback, "Error 0x%08" PRIX32, static_cast<std::uint32_t>(code));
    return String(fallback);
}

// The owner is disabled while the shell works, so that nothing else is
// started on the file meanwhile.
class DisabledWindow {
public:
    explicit DisabledWindow(HWND window) : _window(window)
    {
        if (_window)
            EnableWindow(_window, FALSE);
    }
    ~DisabledWindow()
    {
        if (_window)
            EnableWindow(_window, TRUE);
    }
    DisabledWindow(const DisabledWindow &) = delete;
    DisabledWindow &operator=(const DisabledWindow &) = delete;

private:
    HWND _window;
};

class Win32ShellCommands final : public IShellCommands {
public:
    DeleteResult DeleteToRecycleBin(GUI::WindowHandle owner, const String &path, bool silent) override
    {
        // A list of paths, each zero-terminated, ended by one more zero.
        std::u16string from = path.ToU16String();
        from.push_back(u'\0');
        from.push_back(u'\0');
        SHFILEOPSTRUCTW operation{};
        operation.hwnd = reinterpret_cast<HWND>(owner);
        operation.wFunc = FO_DELETE;
        operation.pFrom = Win32::W(from.c_str());
        operation.fFlags = FOF_ALLOWUNDO | (silent ? FOF_NOCONFIRMATION | FOF_NOERRORUI : 0);
        int result = 0;
        {
            const DisabledWindow disabled(operation.hwnd);
            result = SHFileOperationW(&operation);
        }
        if (operation.fAnyOperationsAborted)
            return DeleteResult{DeleteOutcome::Aborted, String()};
        if (result != 0)
            return DeleteResult{DeleteOutcome::Failed, SystemErrorText(static_cast<DWORD>(result))};
        return DeleteResult{DeleteOutcome::Deleted, String()};
    }

    bool Execute(GUI::WindowHandle owner, StringExpr verb, const String &path) override
    {
        const std::wstring wideVerb = Win32::ToW(verb), widePath = Win32::ToW(StringExpr(path));
        const auto result = reinterpret_cast<std::intptr_t>(ShellExecuteW(
            reinterpret_cast<HWND>(owner), wideVerb.c_str(), widePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > kLastFailureResult)
            return true;
        const DWORD error = GetLastError();
        ShowMessage(owner, ShellExecuteErrorText(result, SystemErrorText(error)));
        return false;
    }

    void ShowMessage(GUI::WindowHandle owner, const String &text) override
    {
        const std::wstring wideText = Win32::ToW(StringExpr(text));
        const std::wstring caption = Win32::ToW(StringExpr(ErrorLog::ProductName()));
        if (!MessageBoxW(reinterpret_cast<HWND>(owner), wideText.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING))
            BRINTAVOLEX_LOG_SYSTEM_ERROR("MessageBoxW");
    }
};

} // namespace

SharedPtr<IShellCommands> SystemShellCommands() { return MakeShared<Win32ShellCommands>(); }

} // namespace Brintavolex
