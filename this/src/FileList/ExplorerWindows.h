#pragma once

#include "this/src/FileList/ShellIDListArray.h"
#include "Root/api/SharedPtr.h"
#include "Root/api/String.h"

#include <cstdint>
#include <vector>

namespace Brintavolex {

// One open Explorer window that shows a file-system folder.
class IExplorerWindow {
public:
    virtual ~IExplorerWindow() = default;
    // The full path of the folder it shows.
    virtual String GetFolder() = 0;
    // Its place among the top-level windows, 0 for the topmost.
    virtual std::uint64_t GetZOrder() = 0;
    // Every item of the view in the order shown, as a "Shell IDList Array"
    // block; empty when the view does not give it (logged).
    virtual std::vector<std::uint8_t> GetViewItems() = 0;
    // The full path of an item (an ID list relative to folder); empty for
    // items that are no files.
    virtual String GetItemPath(ItemIDList folder, ItemIDList item) = 0;
    // Makes the item the view's only selection and scrolls it into view.
    virtual bool SelectItem(ItemIDList item) = 0;
};

// The Explorer windows of the desktop.
class IExplorerWindows {
public:
    virtual ~IExplorerWindows() = default;
    virtual std::vector<SharedPtr<IExplorerWindow>> GetWindows() = 0;
};

// The system's Explorer windows, through the shell on Windows (the calling
// thread must have initialised COM); none elsewhere.
SharedPtr<IExplorerWindows> SystemExplorerWindows();

} // namespace Brintavolex
