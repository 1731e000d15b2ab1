#include "Platform/api/Threading.h"

#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <pthread.h>

namespace Brintavolex {

struct Thread::Native {
    pthread_t thread{};
    bool started = false;
    bool joined = false;
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;  // released from a suspended start
    bool finished = false;
    int priority = 0;
};

namespace {
void *Trampoline(void *argument)
{
    auto *self = static_cast<Thread *>(argument);
    Thread::Native &native = self->GetNative();
    {
        std::unique_lock<std::mutex> lock(native.mutex);
        native.changed.wait(lock, [&] { return native.running; });
    }
    self->RunWorker();
    {
        std::lock_guard<std::mutex> lock(native.mutex);
        native.finished = true;
    }
    native.changed.notify_all();
    return nullptr;
}
} // namespace

Thread::Thread(WorkerFunction function, void *argument, bool startSuspended)
    : _argument(argument), _function(function), _native(std::make_unique<Native>())
{
    _native->running = !startSuspended;
    const int error = pthread_create(&_native->thread, nullptr, &Trampoline, this);
    if (error != 0) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CreateThread", std::uint32_t(error));
        throw Exception("Thread::Thread: CreateThread failed");
    }
    _native->started = true;
}

Thread::~Thread()
{
    if (!_native || !_native->started)
        return;
    try {
        Resume();
        Join();
    } catch (...) {
    }
}

bool Thread::IsFinished()
{
    std::lock_guard<std::mutex> lock(_native->mutex);
    return _native->finished;
}

void Thread::Join()
{
    if (_native->joined)
        return;
    {
        std::unique_lock<std::mutex> lock(_native->mutex);
        if (!_native->running)
            throw Exception("Thread::Join: the thread is suspended");
    }
    const int error = pthread_join(_native->thread, nullptr);
    if (error != 0) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("WaitForSingleObject", std::uint32_t(error));
        throw Exception("Thread::Join: WaitForSingleObject failed");
    }
    _native->joined = true;
}

void Thread::Resume()
{
    {
        std::lock_guard<std::mutex> lock(_native->mutex);
        _native->running = true;
    }
    _native->changed.notify_all();
}

void Thread::SetPriority(int priority) { _native->priority = priority; }
int Thread::GetPriority() { return _native->priority; }

void WaitForAll(Thread *const *threads, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (threads[i])
            threads[i]->Join();
}

// Windows critical sections are recursive; so is this one.
static_assert(sizeof(std::recursive_mutex) <= 64, "CriticalSection storage");

CriticalSection::CriticalSection() { new (_storage) std::recursive_mutex(); }
CriticalSection::~CriticalSection() { std::launder(reinterpret_cast<std::recursive_mutex *>(_storage))->~recursive_mutex(); }
void CriticalSection::Enter() { std::launder(reinterpret_cast<std::recursive_mutex *>(_storage))->lock(); }
void CriticalSection::Leave() { std::launder(reinterpret_cast<std::recursive_mutex *>(_storage))->unlock(); }

} // namespace Brintavolex
