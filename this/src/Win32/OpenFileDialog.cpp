#include "this/src/OpenFileDialog.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Language.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

namespace Brintavolex {

namespace {
// Long enough for any path the shell hands out.
constexpr DWORD kPathCapacity = 32768;
} // namespace

String AskOpenPath(GUI::GUI &gui, GUI::Panel &owner)
{
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    static const wchar_t kFilterEnglish[] = L"All files (*.*)\0*.*\0";
    static const wchar_t kFilterGerman[] = L"Alle Dateien (*.*)\0*.*\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(gui.WindowOf(owner));
    ofn.lpstrFilter = Locale::GetLanguageIndex() == 0 ? kFilterGerman : kFilterEnglish;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = kPathCapacity;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) {
        if (const DWORD error = CommDlgExtendedError())
            ErrorLog::LogSystemError(__FILE_NAME__, __LINE__, "GetOpenFileNameW", error);
        return String();
    }
    std::u16string chosen;
    for (const wchar_t *p = path.data(); *p; ++p)
        chosen.push_back(char16_t(*p));
    return String(StringExpr(chosen));
}

} // namespace Brintavolex
