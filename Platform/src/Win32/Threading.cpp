#include "Platform/api/Threading.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/src/Win32/ThreadResume.h"
#include "Root/api/Exception.h"

#include <windows.h>

#include <vector>

namespace Brintavolex {

struct Thread::Native {
    HANDLE handle = nullptr;
};

namespace {

DWORD WINAPI Trampoline(void *argument)
{
    auto *self = static_cast<Thread *>(argument);
    self->RunWorker();
    return DWORD(self->Result());
}

[[noreturn]] void Fail(const char *call, DWORD error)
{
    BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE(call, error);
    throw Exception(String("Thread: ") + call + " failed");
}

bool WaitFinished(HANDLE handle, DWORD timeout)
{
    const DWORD result = WaitForSingleObject(handle, timeout);
    if (result == WAIT_OBJECT_0)
        return true;
    if (result == WAIT_TIMEOUT)
        return false;
    if (result == WAIT_FAILED)
        Fail("WaitForSingleObject", GetLastError());
    BRINTAVOLEX_LOG("WaitForSingleObject returned an unexpected result");
    throw Exception("Thread: WaitForSingleObject returned an unexpected result");
}

} // namespace

bool Win32::ResumeFully(HANDLE thread) noexcept
{
    for (;;) {
        const DWORD previous = ResumeThread(thread);
        if (previous == DWORD(-1)) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("ResumeThread");
            return false;
        }
        if (previous <= 1)
            return true;
    }
}

Thread::Thread(WorkerFunction function, void *argument, bool startSuspended)
    : _argument(argument), _function(function), _native(std::make_unique<Native>())
{
    _native->handle = CreateThread(nullptr, 0, &Trampoline, this, startSuspended ? CREATE_SUSPENDED : 0, nullptr);
    if (!_native->handle)
        Fail("CreateThread", GetLastError());
}

Thread::~Thread()
{
    if (!_native || !_native->handle)
        return;
    try {
        // A suspended thread would never end. Our handle has every right, so
        // a resume fails only for a broken handle, and then Join fails too.
        Win32::ResumeFully(_native->handle);
        Join();
    } catch (...) {
    }
    if (!CloseHandle(_native->handle))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("CloseHandle");
}

bool Thread::IsFinished() { return WaitFinished(_native->handle, 0); }

void Thread::Join() { WaitFinished(_native->handle, INFINITE); }

void Thread::Resume()
{
    if (ResumeThread(_native->handle) == DWORD(-1))
        Fail("ResumeThread", GetLastError());
}

void Thread::SetPriority(int priority)
{
    if (!SetThreadPriority(_native->handle, priority))
        Fail("SetThreadPriority", GetLastError());
}

int Thread::GetPriority()
{
    const int priority = GetThreadPriority(_native->handle);
    if (priority == THREAD_PRIORITY_ERROR_RETURN)
        Fail("GetThreadPriority", GetLastError());
    return priority;
}

void WaitForAll(Thread *const *threads, std::size_t count)
{
    std::vector<HANDLE> handles;
    for (std::size_t i = 0; i < count; ++i)
        if (threads[i] && threads[i]->GetNative().handle)
            handles.push_back(threads[i]->GetNative().handle);
    // WaitForMultipleObjects takes at most 64 handles at once.
    for (std::size_t start = 0; start < handles.size(); start += MAXIMUM_WAIT_OBJECTS) {
        const DWORD n = DWORD(std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - start));
        const DWORD result = WaitForMultipleObjects(n, handles.data() + start, TRUE, INFINITE);
        if (result == WAIT_FAILED)
            Fail("WaitForMultipleObjects", GetLastError());
        if (result >= WAIT_OBJECT_0 + n) {
            BRINTAVOLEX_LOG("WaitForMultipleObjects returned an unexpected result");
            throw Exception("WaitForAll: WaitForMultipleObjects returned an unexpected result");
        }
    }
}

static_assert(sizeof(CRITICAL_SECTION) <= 64, "CriticalSection storage");

CriticalSection::CriticalSection() { InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION *>(_storage)); }
CriticalSection::~CriticalSection() { DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION *>(_storage)); }
void CriticalSection::Enter() { EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION *>(_storage)); }
void CriticalSection::Leave() { LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION *>(_storage)); }

} // namespace Brintavolex
