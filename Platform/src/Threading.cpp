#include "Platform/api/Threading.h"

#include "Platform/api/System.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

namespace Brintavolex {

void Thread::RunWorker() noexcept
{
    _exceptionType.clear();
    _exceptionMessage.clear();
    try {
        _result = _function(_argument);
        return;
    } catch (const std::bad_alloc &e) {
        _exceptionType = "std::bad_alloc";
        _exceptionMessage = e.what();
    } catch (const std::exception &e) {
        _exceptionType = "std::exception";
        _exceptionMessage = e.what();
    } catch (...) {
        _exceptionType = "...";
        _exceptionMessage = "unknown exception";
    }
    _result = 0;
}

CriticalSectionLock::CriticalSectionLock(CriticalSection *section) : _section(section)
{
    if (!section)
        throw std::invalid_argument("CriticalSectionLock::CriticalSectionLock: CriticalSection* is nullptr");
    section->Enter();
}

CriticalSectionLock::~CriticalSectionLock()
{
    if (_section)
        _section->Leave();
}

namespace ParallelLoop {

namespace {
std::atomic<unsigned> g_processorCount{0};

struct Share {
    const std::function<void(unsigned, std::uint64_t, std::uint64_t)> *job;
    unsigned worker;
    std::uint64_t begin, end;
};

std::uint64_t RunShare(void *argument)
{
    const Share &share = *static_cast<const Share *>(argument);
    (*share.job)(share.worker, share.begin, share.end);
    return 0;
}
} // namespace

void SetProcessorCount(unsigned count) noexcept { g_processorCount = count; }

unsigned ProcessorCount() noexcept
{
    const unsigned injected = g_processorCount;
    return injected ? injected : Platform::ProcessorCount();
}

unsigned WorkerCount(std::uint64_t count) noexcept
{
    const unsigned processors = ProcessorCount();
    if (processors <= 1 || count <= 1)
        return 1;
    return unsigned(std::min<std::uint64_t>({processors, 8u, count}));
}

void For(std::uint64_t count, const std::function<void(unsigned, std::uint64_t, std::uint64_t)> &job)
{
    if (count == 0)
        return;
    const unsigned workers = WorkerCount(count);
    if (workers == 1) {
        job(0, 0, count);
        return;
    }
    std::vector<Share> shares(workers);
    for (unsigned i = 0; i < workers; ++i) {
        // Contiguous shares without overflow: count * i / workers in 128 bits.
        const auto bound = [&](unsigned k) {
            return std::uint64_t((unsigned __int128)count * k / workers);
        };
        shares[i] = Share{&job, i, bound(i), bound(i + 1)};
    }
    std::vector<std::unique_ptr<Thread>> threads;
    threads.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        threads.push_back(std::make_unique<Thread>(&RunShare, &shares[i]));
    std::vector<Thread *> handles;
    for (auto &thread : threads)
        handles.push_back(thread.get());
    WaitForAll(handles.data(), handles.size());
    for (auto &thread : threads)
        if (thread->Failed())
            throw Exception(String("ParallelLoop: worker failed with ") + thread->ExceptionType().c_str() + ": " +
                            thread->ExceptionMessage().c_str());
}

} // namespace ParallelLoop

} // namespace Brintavolex
