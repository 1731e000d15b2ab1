#pragma once

#include "this/src/FileList/ExplorerWindows.h"
#include "this/src/FileList/FileSnapshotList.h"

namespace Brintavolex {

// A folder in the order an Explorer window shows it (its sorting, grouping
// and filter), taken once when a file is opened; SelectFile selects the file
// in that window.
class ExplorerFileList final : public FileSnapshotList {
public:
    // The view of the topmost window that shows the folder of file (a full
    // path). Null when no window shows that folder, when its view lacks the
    // file (hidden, filtered out) or gives no usable item array (logged).
    static SharedPtr<ExplorerFileList> Create(const String &file, IExplorerWindows &windows);

    bool SelectFile(const Iterator &iterator) override;

protected:
    const char *ClassName() const noexcept override { return "ExplorerFileList"; }

private:
    ExplorerFileList(std::vector<std::u16string> paths, SharedPtr<IExplorerWindow> window, ShellIDListArray items,
                     std::vector<std::size_t> itemOfEntry);

    SharedPtr<IExplorerWindow> _window;
    ShellIDListArray _items;
    std::vector<std::size_t> _itemOfEntry; // the view item of each entry
};

} // namespace Brintavolex
