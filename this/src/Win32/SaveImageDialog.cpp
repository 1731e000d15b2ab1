#include "this/src/SaveImageDialog.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Language.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace Brintavolex {

namespace {

// Long enough for any path the shell hands out.
constexpr DWORD kPathCapacity = 32768;

class Win32SaveImageDialog final : public ImageView::ISaveImageDialog {
public:
    Win32SaveImageDialog(GUI::GUI &gui, GUI::Panel &owner, SaveDialogKind kind) : _gui(gui), _owner(&owner), _kind(kind)
    {
    }

    std::u16string AskSavePath(std::u16string_view proposedName) override
    {
        std::vector<wchar_t> path(kPathCapacity, L'\0');
        const std::size_t n = std::min<std::size_t>(proposedName.size(), kPathCapacity - 1);
        for (std::size_t i = 0; i < n; ++i)
            path[i] = wchar_t(proposedName[i]);
        const bool german = Locale::GetLanguageIndex() == 0;
        // Pairs of description and pattern, each ended by a zero, the list by two.
        static const wchar_t kFilterEnglish[] = L"PNG (*.png)\0*.png\0BMP (*.bmp)\0*.bmp\0All files (*.*)\0*.*\0";
        static const wchar_t kFilterGerman[] = L"PNG (*.png)\0*.png\0BMP (*.bmp)\0*.bmp\0Alle Dateien (*.*)\0*.*\0";
        static const wchar_t kAllFilesEnglish[] = L"All files (*.*)\0*.*\0";
        static const wchar_t kAllFilesGerman[] = L"Alle Dateien (*.*)\0*.*\0";
        const bool image = _kind == SaveDialogKind::Image;
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = reinterpret_cast<HWND>(_gui.WindowOf(*_owner));
        ofn.lpstrFilter = image ? (german ? kFilterGerman : kFilterEnglish) : (german ? kAllFilesGerman : kAllFilesEnglish);
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = path.data();
        ofn.nMaxFile = kPathCapacity;
        ofn.lpstrDefExt = image ? L"png" : L"csv";
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
        if (!GetSaveFileNameW(&ofn)) {
            if (const DWORD error = CommDlgExtendedError())
                ErrorLog::LogSystemError(__FILE_NAME__, __LINE__, "GetSaveFileNameW", error);
            return std::u16string();
        }
        std::u16string chosen;
        for (const wchar_t *p = path.data(); *p; ++p)
            chosen.push_back(char16_t(*p));
        return chosen;
    }

private:
    GUI::GUI &_gui;
    GUI::Panel *_owner;
    SaveDialogKind _kind;
};

} // namespace

SharedPtr<ImageView::ISaveImageDialog> CreateSystemSaveDialog(GUI::GUI &gui, GUI::Panel &owner, SaveDialogKind kind)
{
    return MakeShared<Win32SaveImageDialog>(gui, owner, kind);
}

} // namespace Brintavolex
