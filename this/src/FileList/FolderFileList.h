#pragma once

#include "this/src/FileList/FileSnapshotList.h"

namespace Brintavolex {

// The files of a folder in the order the file system reports them.
class FolderFileList final : public FileSnapshotList {
public:
    struct Options {
        // Then the files of each subfolder, depth first, every folder's own
        // files before those of its subfolders. Links to folders are never
        // followed.
        bool recursive = false;
        // Only names with one of these endings; every file when empty.
        NameEndings endings;
        // Told of each folder before it is read (the progress text).
        std::function<void(const String &folder)> onFolder;
    };

    // A missing folder gives an empty list; read errors are logged and keep
    // what was found.
    static SharedPtr<FolderFileList> Create(const String &folder, const Options &options);
    static SharedPtr<FolderFileList> Create(const String &folder) { return Create(folder, Options{}); }

protected:
    const char *ClassName() const noexcept override { return "FolderFileList"; }

private:
    using FileSnapshotList::FileSnapshotList;
};

} // namespace Brintavolex
