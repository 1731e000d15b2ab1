#include "this/src/OpenFileDialog.h"
#include "this/src/Win32/OpenFileDialogWin32.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Language.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/OpenDialogFilters.h"
#include "this/src/Win32/PlugInUnknown.h"

#include <windows.h>
#include <commdlg.h>
#include <shobjidl.h>

#include <memory>
#include <string>
#include <vector>

namespace Brintavolex {

namespace {

constexpr const char *kContext = "AskOpenPath";
// Long enough for any path the shell hands out.
constexpr DWORD kPathCapacity = 32768;
// Show's answer when the user closes the dialog without a choice.
constexpr HRESULT kCancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);
// Only real files; the process's working directory stays where it was.
constexpr FILEOPENDIALOGOPTIONS kItemDialogOptions =
    FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
constexpr UINT kFirstFileType = 1;

struct WideFilter {
    std::wstring description;
    std::wstring patterns;
};

std::vector<WideFilter> CurrentFilters()
{
    std::vector<WideFilter> wide;
    for (const FileTypeFilter &filter : OpenDialogFilters(Locale::GetLanguageIndex()))
        wide.push_back({Win32::ToW(filter.description), Win32::ToW(filter.patterns)});
    return wide;
}

void Check(HRESULT result, const char *call)
{
    if (FAILED(result))
        throw SystemErrorException(kContext, call, std::uint32_t(result));
}

String FromWide(const wchar_t *text) { return String(StringExpr(Win32::ToU16(text))); }

struct TaskMemFree {
    void operator()(wchar_t *p) const noexcept { CoTaskMemFree(p); }
};

// The dialog wants a sink; the defaults of every event suit us.
class COpenDialogEventHandler final : public Unknown<IFileDialogEvents> {
public:
    COpenDialogEventHandler() = default;

    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog *, IShellItem *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog *, IShellItem *,
                                               FDE_SHAREVIOLATION_RESPONSE *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog *, IShellItem *, FDE_OVERWRITE_RESPONSE *) override
    {
        return E_NOTIMPL;
    }
};

String AskWithItemDialog(IFileOpenDialog &dialog, HWND owner)
{
    FILEOPENDIALOGOPTIONS options = 0;
    Check(dialog.GetOptions(&options), "IFileOpenDialog::GetOptions");
    Check(dialog.SetOptions(options | kItemDialogOptions), "IFileOpenDialog::SetOptions");
    const std::vector<WideFilter> filters = CurrentFilters();
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const WideFilter &filter : filters)
        specs.push_back({filter.description.c_str(), filter.patterns.c_str()});
    Check(dialog.SetFileTypes(UINT(specs.size()), specs.data()), "IFileOpenDialog::SetFileTypes");
    Check(dialog.SetFileTypeIndex(kFirstFileType), "IFileOpenDialog::SetFileTypeIndex");

    const ComPtr<COpenDialogEventHandler> handler = MakeCom<COpenDialogEventHandler>();
    DWORD cookie = 0;
    Check(dialog.Advise(handler.Get(), &cookie), "IFileOpenDialog::Advise");
    const HRESULT shown = dialog.Show(owner);
    const HRESULT unadvised = dialog.Unadvise(cookie);
    if (shown != kCancelled)
        Check(shown, "IFileOpenDialog::Show");
    Check(unadvised, "IFileOpenDialog::Unadvise");
    if (shown == kCancelled)
        return String();

    ComPtr<IShellItem> item;
    Check(dialog.GetResult(item.Out()), "IFileOpenDialog::GetResult");
    wchar_t *path = nullptr;
    Check(item->GetDisplayName(SIGDN_FILESYSPATH, &path), "IShellItem::GetDisplayName");
    const std::unique_ptr<wchar_t, TaskMemFree> owned(path);
    return FromWide(path);
}

// Pairs of description and patterns, each ended by a zero, the list by two.
std::wstring ClassicFilterText(const std::vector<WideFilter> &filters)
{
    std::wstring text;
    for (const WideFilter &filter : filters) {
        text += filter.description;
        text.push_back(L'\0');
        text += filter.patterns;
        text.push_back(L'\0');
    }
    text.push_back(L'\0');
    return text;
}

ComPtr<IFileOpenDialog> CreateItemDialog(HRESULT &result)
{
    ComPtr<IFileOpenDialog> dialog;
    result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                              reinterpret_cast<void **>(dialog.Out()));
    return dialog;
}

} // namespace

String AskOpenPathWithItemDialog(HWND owner)
{
    HRESULT created = S_OK;
    const ComPtr<IFileOpenDialog> dialog = CreateItemDialog(created);
    Check(created, "CoCreateInstance");
    return AskWithItemDialog(*dialog, owner);
}

String AskOpenPathWithClassicDialog(HWND owner)
{
    const std::wstring filter = ClassicFilterText(CurrentFilters());
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = kFirstFileType;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = kPathCapacity;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) {
        // Zero: the user cancelled.
        if (const DWORD error = CommDlgExtendedError())
            throw Exception(String(kContext) + ": " +
                            Exception::FailedWithText("GetOpenFileNameW", CommonDialogErrorName(error)));
        return String();
    }
    return FromWide(path.data());
}

String AskOpenPath(HWND owner)
{
    HRESULT created = S_OK;
    const ComPtr<IFileOpenDialog> dialog = CreateItemDialog(created);
    if (!dialog) {
        // Older systems have no common item dialog.
        ErrorLog::LogSystemError(__FILE_NAME__, __LINE__, "CoCreateInstance(CLSID_FileOpenDialog)",
                                 std::uint32_t(created));
        return AskOpenPathWithClassicDialog(owner);
    }
    return AskWithItemDialog(*dialog, owner);
}

String AskOpenPath(GUI::GUI &gui, GUI::Panel &owner)
{
    return AskOpenPath(reinterpret_cast<HWND>(gui.WindowOf(owner)));
}

} // namespace Brintavolex
