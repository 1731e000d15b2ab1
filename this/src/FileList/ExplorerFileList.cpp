#include "this/src/FileList/ExplorerFileList.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/String.h"

namespace Brintavolex {

namespace {

// Folder paths compare as the file system does, a trailing separator aside.
bool SameFolder(std::u16string_view a, std::u16string_view b) noexcept
{
    const auto trim = [](std::u16string_view path) {
        while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/'))
            path.remove_suffix(1);
        return path;
    };
    return EqualIgnoringCase(trim(a), trim(b));
}

SharedPtr<IExplorerWindow> TopmostShowing(std::u16string_view folder, IExplorerWindows &windows)
{
    SharedPtr<IExplorerWindow> topmost;
    std::uint64_t topmostOrder = 0;
    for (const SharedPtr<IExplorerWindow> &window : windows.GetWindows()) {
        if (!window || !SameFolder(window->GetFolder().ToU16String(), folder))
            continue;
        const std::uint64_t order = window->GetZOrder();
        if (!topmost || order < topmostOrder) {
            topmost = window;
            topmostOrder = order;
        }
    }
    return topmost;
}

} // namespace

ExplorerFileList::ExplorerFileList(std::vector<std::u16string> paths, SharedPtr<IExplorerWindow> window,
                                   ShellIDListArray items, std::vector<std::size_t> itemOfEntry)
    : FileSnapshotList(std::move(paths)), _window(std::move(window)), _items(std::move(items)),
      _itemOfEntry(std::move(itemOfEntry))
{
}

SharedPtr<ExplorerFileList> ExplorerFileList::Create(const String &file, IExplorerWindows &windows)
{
    const std::u16string wanted = file.ToU16String();
    SharedPtr<IExplorerWindow> window = TopmostShowing(FolderOf(wanted), windows);
    if (!window)
        return nullptr;
    std::vector<std::uint8_t> block = window->GetViewItems();
    if (block.empty())
        return nullptr;
    ShellIDListArray items;
    try {
        items = ShellIDListArray(std::move(block));
    } catch (const std::exception &e) {
        BRINTAVOLEX_LOG(String("ExplorerFileList: ") + e.what());
        return nullptr;
    }
    std::vector<std::u16string> paths;
    std::vector<std::size_t> itemOfEntry;
    bool showsFile = false;
    for (std::size_t i = 0; i < items.GetItemCount(); ++i) {
        std::u16string path = window->GetItemPath(items.GetFolder(), items.GetItem(i)).ToU16String();
        if (path.empty())
            continue;
        showsFile = showsFile || EqualIgnoringCase(path, wanted);
        paths.push_back(std::move(path));
        itemOfEntry.push_back(i);
    }
    if (!showsFile)
        return nullptr;
    return SharedPtr<ExplorerFileList>(
        new ExplorerFileList(std::move(paths), std::move(window), std::move(items), std::move(itemOfEntry)));
}

bool ExplorerFileList::SelectFile(const Iterator &iterator)
{
    const std::uint64_t index = OwnIndex(iterator, "SelectFile");
    CheckIndex(index, "SelectFile");
    return _window->SelectItem(_items.GetItem(_itemOfEntry[index]));
}

} // namespace Brintavolex
