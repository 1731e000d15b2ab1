#include "this/src/FolderReading.h"

#include "Data/api/SceneItem.h"
#include "this/src/FileList/FileLists.h"

namespace Brintavolex {

struct FolderReading::Shared {
    SharedPtr<IGuiThreadPoster> poster;
    String folder;
    Progress progress;
    Done done;
    std::atomic<bool> cancelled{false};
    // One progress report waits on the GUI thread at most.
    std::atomic<bool> progressPending{false};
};

FolderReading::FolderReading(SharedPtr<IGuiThreadPoster> poster, String folder, Progress progress, Done done)
    : _shared(std::make_shared<Shared>())
{
    _shared->poster = std::move(poster);
    _shared->folder = std::move(folder);
    _shared->progress = std::move(progress);
    _shared->done = std::move(done);
    _thread = std::make_unique<Thread>(&FolderReading::Work, this);
}

FolderReading::~FolderReading()
{
    _shared->cancelled = true;
    _thread.reset();
}

std::uint64_t FolderReading::Work(void *argument)
{
    const std::shared_ptr<Shared> shared = static_cast<FolderReading *>(argument)->_shared;
    // Posted tasks run only while the reading has not been stopped.
    const std::weak_ptr<Shared> alive = shared;
    SharedPtr<IFileList> list;
    String error;
    try {
        list = ListForDroppedFolder(shared->folder, [&](const String &folder) {
            if (shared->cancelled)
                throw OperationCancelled();
            if (!shared->progressPending.exchange(true))
                shared->poster->Post([alive, folder] {
                    if (const auto s = alive.lock(); s && !s->cancelled) {
                        s->progressPending = false;
                        if (s->progress)
                            s->progress(folder);
                    }
                });
        });
    } catch (const OperationCancelled &) {
        return 0;
    } catch (const std::exception &e) {
        error = String(e.what());
    }
    shared->poster->Post([alive, list, error] {
        if (const auto s = alive.lock(); s && !s->cancelled && s->done)
            s->done(list, error);
    });
    return 0;
}

} // namespace Brintavolex
