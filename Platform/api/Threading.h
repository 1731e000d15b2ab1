#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Brintavolex {

// One joinable worker thread. No exception escapes the worker: a failure
// leaves its type and message behind in the object.
class Thread {
public:
    using WorkerFunction = std::uint64_t (*)(void *argument);

    Thread(WorkerFunction function, void *argument, bool startSuspended = false);
    // Joins, then releases the thread; never throws.
    ~Thread();
    Thread(const Thread &) = delete;
    Thread &operator=(const Thread &) = delete;

    bool IsFinished();
    void Join();
    void Resume();
    void SetPriority(int priority);
    int GetPriority();

    // "std::bad_alloc", "std::exception" or "..." after a failed worker,
    // empty otherwise; the message likewise.
    const std::string &ExceptionType() const noexcept { return _exceptionType; }
    const std::string &ExceptionMessage() const noexcept { return _exceptionMessage; }
    bool Failed() const noexcept { return !_exceptionType.empty(); }
    // The worker's 64-bit result (0 after a failure).
    std::uint64_t Result() const noexcept { return _result; }

    struct Native;
    Native &GetNative() noexcept { return *_native; }

    // Runs the worker on the new thread: catches everything.
    void RunWorker() noexcept;

private:
    std::string _exceptionType;
    std::string _exceptionMessage;
    void *_argument;
    WorkerFunction _function;
    std::uint64_t _result = 0;
    std::unique_ptr<Native> _native;
};

// Waits until every thread has ended (null entries are skipped).
void WaitForAll(Thread *const *threads, std::size_t count);

// A process-local mutual-exclusion object.
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection &) = delete;
    CriticalSection &operator=(const CriticalSection &) = delete;
    void Enter();
    void Leave();

private:
    alignas(8) unsigned char _storage[64];
};

// Enters on construction, leaves on destruction.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection *section);
    ~CriticalSectionLock();
    CriticalSectionLock(const CriticalSectionLock &) = delete;
    CriticalSectionLock &operator=(const CriticalSectionLock &) = delete;

private:
    CriticalSection *_section;
};

// The rule by which per-pixel work is split: one processor runs the job on
// the calling thread; otherwise min(processors, 8) workers, each with its own
// share of the rows, joined before the caller merges.
namespace ParallelLoop {

// The processor count the loops use; 0 restores the system's answer.
void SetProcessorCount(unsigned count) noexcept;
unsigned ProcessorCount() noexcept;
// Workers a job of count items gets: 1 for one processor, otherwise
// min(processors, 8, count).
unsigned WorkerCount(std::uint64_t count) noexcept;

// Runs job(worker, begin, end) over contiguous shares of [0, count). After
// all workers have ended, a failed worker makes this throw Exception with
// the worker's exception type and message.
void For(std::uint64_t count, const std::function<void(unsigned worker, std::uint64_t begin, std::uint64_t end)> &job);

} // namespace ParallelLoop

} // namespace Brintavolex
