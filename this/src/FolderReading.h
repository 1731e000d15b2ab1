#pragma once

// A dropped folder's list read on a thread of its own: a tree of thousands
// of folders takes seconds, and the window stays responsive meanwhile.

#include "Platform/api/GuiThreadPoster.h"
#include "Platform/api/Threading.h"
#include "this/src/FileList/FileList.h"

#include <atomic>
#include <functional>
#include <memory>

namespace Brintavolex {

class FolderReading {
public:
    // Both on the GUI thread. Progress names the folder being read, now and
    // then; done gets the list, or null and why not.
    using Progress = std::function<void(const String &folder)>;
    using Done = std::function<void(const SharedPtr<IFileList> &list, const String &error)>;

    FolderReading(SharedPtr<IGuiThreadPoster> poster, String folder, Progress progress, Done done);
    // Stops the reading and waits for it; nothing is told afterwards.
    ~FolderReading();
    FolderReading(const FolderReading &) = delete;
    FolderReading &operator=(const FolderReading &) = delete;

private:
    struct Shared;
    static std::uint64_t Work(void *argument);
    std::shared_ptr<Shared> _shared;
    std::unique_ptr<Thread> _thread;
};

} // namespace Brintavolex
