#include "Platform/api/BackgroundDecode.h"

#include <exception>

namespace Brintavolex {

BackgroundDecode::BackgroundDecode(SharedPtr<Image2DDataCache> cache, SharedPtr<IProgress> progress,
                                   SharedPtr<IGuiThreadPoster> poster, std::function<void(const Outcome &)> onDone)
    : _cache(std::move(cache)), _progress(std::move(progress)), _poster(std::move(poster)), _onDone(std::move(onDone))
{
    if (!_cache || !_poster)
        throw Exception("BackgroundDecode: cache or poster is nullptr");
    _thread = std::make_unique<Thread>(&BackgroundDecode::Run, this);
}

BackgroundDecode::~BackgroundDecode() { _thread.reset(); }

std::uint64_t BackgroundDecode::Run(void *argument)
{
    auto *self = static_cast<BackgroundDecode *>(argument);
    Outcome outcome;
    try {
        outcome.image = self->_cache->GetData(self->_progress);
    } catch (const OperationCancelled &e) {
        outcome.cancelled = true;
        outcome.error = String(e.what());
    } catch (const Exception &e) {
        outcome.error = e.Message();
    } catch (const std::exception &e) {
        outcome.error = String(e.what());
    } catch (...) {
        outcome.error = String("unknown exception");
    }
    // The callback travels by value: the decode object may be gone by the
    // time the GUI thread runs it.
    self->_poster->Post([onDone = self->_onDone, outcome] {
        if (onDone)
            onDone(outcome);
    });
    return 0;
}

} // namespace Brintavolex
