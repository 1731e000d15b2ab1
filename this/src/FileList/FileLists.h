#pragma once

// The file lists the application builds, one call per way a file arrives.
#include "this/src/FileList/ExplorerWindows.h"
#include "this/src/FileList/FileList.h"

#include <functional>

namespace Brintavolex {

// A list and the opened file's place in it (no position when the file is
// not in the list, from where either step lands on an entry).
struct FileListPosition {
    SharedPtr<IFileList> list;
    IFileList::Iterator current;
};

// A file opened by its full path (command line, a single dropped file): its
// folder in the order of the topmost Explorer window that shows the file,
// else in folder order. The list holds the files some decoder claims and the
// file itself.
FileListPosition ListForOpenedFile(const String &file, IExplorerWindows &windows);
// A file chosen in the open dialog: the same in folder order.
FileListPosition ListForChosenFile(const String &file);
// A dropped folder: the files a decoder claims in it and below it, each
// folder's own files before those of its subfolders; onFolder is told of
// each folder as it is read.
SharedPtr<IFileList> ListForDroppedFolder(const String &folder,
                                          const std::function<void(const String &folder)> &onFolder = {});

} // namespace Brintavolex
