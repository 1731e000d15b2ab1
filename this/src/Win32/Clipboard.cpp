#include "this/src/Clipboard.h"

#include "Root/api/Exception.h"
#include "this/src/Win32/DropTarget.h"
#include "this/src/Win32/LockedGlobal.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace Brintavolex {

namespace {

const char kContext[] = "Clipboard::Read";

[[noreturn]] void Fail(const char *operation, DWORD error)
{
    throw SystemErrorException(kContext, operation, std::uint32_t(error));
}

// Closes the clipboard on every way out, exceptions included: an open
// clipboard blocks every other program's copy and paste.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner)
    {
        if (!OpenClipboard(owner))
            Fail("OpenClipboard", GetLastError());
    }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard &) = delete;
    OpenedClipboard &operator=(const OpenedClipboard &) = delete;
};

// The format's data, or null when the clipboard does not hold it after all.
HANDLE DataOf(UINT format)
{
    SetLastError(ERROR_SUCCESS);
    HANDLE data = GetClipboardData(format);
    if (!data) {
        const DWORD error = GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_NOT_FOUND)
            Fail("GetClipboardData", error);
    }
    return data;
}

class SystemClipboardReader final : public IClipboard {
public:
    ClipboardContent Read(GUI::WindowHandle owner) override
    {
        ClipboardContent content;
        OpenedClipboard opened(reinterpret_cast<HWND>(owner));
        if (IsClipboardFormatAvailable(CF_HDROP))
            if (HANDLE files = DataOf(CF_HDROP)) {
                content.file = Win32::FirstDroppedFile(static_cast<HDROP>(files));
                return content;
            }
        // The V5 header keeps the alpha channel and the colour masks.
        for (UINT format : {UINT(CF_DIBV5), UINT(CF_DIB)}) {
            if (!IsClipboardFormatAvailable(format))
                continue;
            HANDLE memory = DataOf(format);
            if (!memory)
                continue;
            const Win32::LockedGlobal locked(memory, kContext);
            const std::uint8_t *bytes = locked.Data();
            content.dib.assign(bytes, bytes + locked.Size());
            return content;
        }
        return content;
    }
};

} // namespace

SharedPtr<IClipboard> SystemClipboard() { return MakeShared<SystemClipboardReader>(); }

} // namespace Brintavolex
