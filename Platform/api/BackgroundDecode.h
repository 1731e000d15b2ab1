#pragma once

#include "Data/api/Image2D.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/GuiThreadPoster.h"
#include "Platform/api/Threading.h"

#include <functional>
#include <memory>

namespace Brintavolex {

// Decodes a data cache on a worker thread and reports the outcome on the GUI
// thread: the image, or the error text (cancelled decodes say so).
class BackgroundDecode {
public:
    struct Outcome {
        SharedPtr<Data::Image2DBase> image;
        String error;
        bool cancelled = false;
    };

    BackgroundDecode(SharedPtr<Image2DDataCache> cache, SharedPtr<IProgress> progress,
                     SharedPtr<IGuiThreadPoster> poster, std::function<void(const Outcome &)> onDone);
    // Waits for the worker; the outcome may still be on its way to the GUI
    // thread and is then delivered there as usual.
    ~BackgroundDecode();
    BackgroundDecode(const BackgroundDecode &) = delete;
    BackgroundDecode &operator=(const BackgroundDecode &) = delete;

    bool IsFinished() { return _thread->IsFinished(); }

private:
    static std::uint64_t Run(void *self);

    SharedPtr<Image2DDataCache> _cache;
    SharedPtr<IProgress> _progress;
    SharedPtr<IGuiThreadPoster> _poster;
    std::function<void(const Outcome &)> _onDone;
    std::unique_ptr<Thread> _thread;
};

} // namespace Brintavolex
