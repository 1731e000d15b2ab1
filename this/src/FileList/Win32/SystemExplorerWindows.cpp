// The Explorer windows through the shell: the shell-windows collection, each
// window's active view and the items of that view.
#include "this/src/FileList/ExplorerWindows.h"

#include "this/src/Win32/PlugInUnknown.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/Win32/WideText.h"

#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <limits>
#include <memory>

namespace Brintavolex {

namespace {

// The clipboard format of item-ID arrays (CFSTR_SHELLIDLIST).
constexpr const wchar_t *kShellIDListFormat = L"Shell IDList Array";

struct CoTaskMemFreer {
    void operator()(void *memory) const noexcept { CoTaskMemFree(memory); }
};
template <class T> using CoTaskMemPtr = std::unique_ptr<T, CoTaskMemFreer>;

void LogShellFailure(const char *call, HRESULT result)
{
    BRINTAVOLEX_LOG(String("ExplorerWindows: ") + call + " failed with HRESULT " + HResultText(result));
}

// The shell reads ID lists by their 16-bit sizes: each gets an aligned block
// of its own.
CoTaskMemPtr<ITEMIDLIST> CopyIDList(ItemIDList list)
{
    CoTaskMemPtr<ITEMIDLIST> copy(static_cast<ITEMIDLIST *>(CoTaskMemAlloc(list.size())));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy.get(), list.data(), list.size());
    return copy;
}

String TakeShellText(PWSTR text)
{
    const CoTaskMemPtr<wchar_t> owned(text);
    return text ? String(StringExpr(Win32::U(text))) : String();
}

// Empty for items that are no files (control panel, libraries' roots, ...).
String FileSystemPath(PCIDLIST_ABSOLUTE list)
{
    PWSTR name = nullptr;
    return SUCCEEDED(SHGetNameFromIDList(list, SIGDN_FILESYSPATH, &name)) ? TakeShellText(name) : String();
}

bool IsChild(ItemIDList item) noexcept
{
    const std::size_t first = item.size() >= 2 ? std::size_t(item[0]) | std::size_t(item[1]) << 8 : 0;
    return first >= 2 && item.size() == first + 2;
}

class ShellExplorerWindow final : public IExplorerWindow {
public:
    ShellExplorerWindow(ComPtr<IShellView> view, ComPtr<IFolderView> folderView, String folder, std::uint64_t zOrder)
        : _view(std::move(view)), _folderView(std::move(folderView)), _folder(std::move(folder)), _zOrder(zOrder)
    {
    }

    String GetFolder() override { return _folder; }
    std::uint64_t GetZOrder() override { return _zOrder; }

    std::vector<std::uint8_t> GetViewItems() override
    {
        ComPtr<IDataObject> data;
        HRESULT result = _folderView->Items(SVGIO_ALLVIEW | SVGIO_FLAG_VIEWORDER, IID_IDataObject,
                                            reinterpret_cast<void **>(data.Out()));
        if (FAILED(result) || !data) {
            LogShellFailure("Items", result);
            return {};
        }
        static const UINT format = RegisterClipboardFormatW(kShellIDListFormat);
        if (format == 0) {
            LogShellFailure("RegisterClipboardFormat", HRESULT_FROM_WIN32(GetLastError()));
            return {};
        }
        FORMATETC wanted{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        result = data->GetData(&wanted, &medium);
        if (FAILED(result)) {
            LogShellFailure("GetData", result);
            return {};
        }
        std::vector<std::uint8_t> block;
        if (medium.tymed == TYMED_HGLOBAL) {
            const SIZE_T size = GlobalSize(medium.hGlobal);
            if (const void *bytes = GlobalLock(medium.hGlobal)) {
                if (size <= ShellIDListArray::kMaximumSize)
                    block.assign(static_cast<const std::uint8_t *>(bytes), static_cast<const std::uint8_t *>(bytes) + size);
                GlobalUnlock(medium.hGlobal);
            } else {
                LogShellFailure("GlobalLock", HRESULT_FROM_WIN32(GetLastError()));
            }
        }
        ReleaseStgMedium(&medium);
        return block;
    }

    String GetItemPath(ItemIDList folder, ItemIDList item) override
    {
        // A folder's own items by name within it; anything deeper by its
        // full ID list.
        if (IsChild(item))
            if (IShellFolder *shellFolder = Bound(folder)) {
                const CoTaskMemPtr<ITEMIDLIST> child = CopyIDList(item);
                STRRET name{};
                PWSTR text = nullptr;
                if (SUCCEEDED(shellFolder->GetDisplayNameOf(child.get(), SHGDN_FORPARSING, &name)) &&
                    SUCCEEDED(StrRetToStrW(&name, child.get(), &text)))
                    return TakeShellText(text);
                return String();
            }
        const CoTaskMemPtr<ITEMIDLIST> parent = CopyIDList(folder), relative = CopyIDList(item);
        const CoTaskMemPtr<ITEMIDLIST> full(ILCombine(parent.get(), relative.get()));
        return full ? FileSystemPath(full.get()) : String();
    }

    bool SelectItem(ItemIDList item) override
    {
        const CoTaskMemPtr<ITEMIDLIST> child = CopyIDList(item);
        const HRESULT result =
            _view->SelectItem(child.get(), SVSI_SELECT | SVSI_DESELECTOTHERS | SVSI_ENSUREVISIBLE | SVSI_FOCUSED);
        if (FAILED(result))
            LogShellFailure("SelectItem", result);
        return SUCCEEDED(result);
    }

private:
    // The shell folder of an item array's folder, bound once per array.
    IShellFolder *Bound(ItemIDList folder)
    {
        if (!_bound || !std::equal(folder.begin(), folder.end(), _boundFor.begin(), _boundFor.end())) {
            _boundFor.assign(folder.begin(), folder.end());
            const CoTaskMemPtr<ITEMIDLIST> list = CopyIDList(folder);
            const HRESULT result =
                SHBindToObject(nullptr, list.get(), nullptr, IID_IShellFolder, reinterpret_cast<void **>(_bound.Out()));
            if (FAILED(result)) {
                LogShellFailure("BindToObject", result);
                _bound.Reset();
            }
        }
        return _bound.Get();
    }

    ComPtr<IShellView> _view;
    ComPtr<IFolderView> _folderView;
    String _folder;
    std::uint64_t _zOrder;
    ComPtr<IShellFolder> _bound;
    std::vector<std::uint8_t> _boundFor;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND> *>(windows)->push_back(window);
    return TRUE;
}

// The top-level windows from the top of the Z order down.
std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    if (!EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows)))
        LogShellFailure("EnumWindows", HRESULT_FROM_WIN32(GetLastError()));
    return windows;
}

// Whether any folder window of Explorer is open. Asking the shell for its
// window list starts a call to the shell's process, which without a window
// to report can take seconds (under Wine it waits for a timeout each time).
bool AnyExplorerFolderWindow()
{
    return FindWindowExW(nullptr, nullptr, L"CabinetWClass", nullptr) != nullptr ||
           FindWindowExW(nullptr, nullptr, L"ExploreWClass", nullptr) != nullptr;
}

std::uint64_t ZOrderOf(IShellBrowser &browser, const std::vector<HWND> &topLevel)
{
    HWND window = nullptr;
    if (SUCCEEDED(browser.GetWindow(&window)) && window) {
        const HWND root = GetAncestor(window, GA_ROOT);
        for (std::size_t i = 0; i < topLevel.size(); ++i)
            if (topLevel[i] == root)
                return i;
    }
    return std::numeric_limits<std::uint64_t>::max();
}

// The window's view when it shows a file-system folder; null otherwise.
SharedPtr<IExplorerWindow> ExplorerWindowOf(IDispatch &item, const std::vector<HWND> &topLevel)
{
    ComPtr<IServiceProvider> services = ComPtr<IDispatch>::Share(&item).Query<IServiceProvider>();
    if (!services)
        return nullptr;
    ComPtr<IShellBrowser> browser;
    HRESULT result =
        services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void **>(browser.Out()));
    // Windows of other kinds (web pages) have no shell browser.
    if (FAILED(result) || !browser) {
        if (result != E_NOINTERFACE && result != E_NOTIMPL)
            LogShellFailure("QueryService", result);
        return nullptr;
    }
    ComPtr<IShellView> view;
    result = browser->QueryActiveShellView(view.Out());
    if (FAILED(result) || !view) {
        LogShellFailure("QueryActiveShellView", result);
        return nullptr;
    }
    ComPtr<IFolderView> folderView = view.Query<IFolderView>();
    if (!folderView) {
        LogShellFailure("QueryInterface", E_NOINTERFACE);
        return nullptr;
    }
    ComPtr<IPersistFolder2> persist;
    result = folderView->GetFolder(IID_IPersistFolder2, reinterpret_cast<void **>(persist.Out()));
    PIDLIST_ABSOLUTE folderList = nullptr;
    if (FAILED(result) || !persist || FAILED(result = persist->GetCurFolder(&folderList))) {
        LogShellFailure("GetFolder", result);
        return nullptr;
    }
    const CoTaskMemPtr<ITEMIDLIST> ownedList(folderList);
    String folder = FileSystemPath(folderList);
    if (folder.Empty())
        return nullptr;
    return MakeShared<ShellExplorerWindow>(std::move(view), std::move(folderView), std::move(folder),
                                           ZOrderOf(*browser, topLevel));
}

class ShellExplorerWindows final : public IExplorerWindows {
public:
    std::vector<SharedPtr<IExplorerWindow>> GetWindows() override
    {
        std::vector<SharedPtr<IExplorerWindow>> windows;
        if (!AnyExplorerFolderWindow())
            return windows;
        ComPtr<IShellWindows> shellWindows;
        HRESULT result = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                          reinterpret_cast<void **>(shellWindows.Out()));
        if (FAILED(result) || !shellWindows) {
            // Without a shell that keeps windows there are none to follow.
            if (result != REGDB_E_CLASSNOTREG)
                LogShellFailure("CoCreateInstance", result);
            return windows;
        }
        long count = 0;
        result = shellWindows->get_Count(&count);
        if (FAILED(result)) {
            // Wine's shell keeps no window list.
            if (result != E_NOTIMPL)
                LogShellFailure("get_Count", result);
            return windows;
        }
        const std::vector<HWND> topLevel = TopLevelWindows();
        for (long i = 0; i < count; ++i) {
            VARIANT index;
            VariantInit(&index);
            index.vt = VT_I4;
            index.lVal = i;
            ComPtr<IDispatch> item;
            result = shellWindows->Item(index, item.Out());
            if (FAILED(result)) {
                LogShellFailure("Item", result);
                continue;
            }
            // S_FALSE: the window closed meanwhile.
            if (item)
                if (SharedPtr<IExplorerWindow> window = ExplorerWindowOf(*item, topLevel))
                    windows.push_back(std::move(window));
        }
        return windows;
    }
};

} // namespace

SharedPtr<IExplorerWindows> SystemExplorerWindows() { return MakeShared<ShellExplorerWindows>(); }

} // namespace Brintavolex
