#include "Platform/api/System.h"

#include <windows.h>

namespace Brintavolex::Platform {

std::uint32_t LastSystemError() noexcept { return GetLastError(); }
std::uint32_t CurrentProcessId() noexcept { return GetCurrentProcessId(); }
std::uint32_t CurrentThreadId() noexcept { return GetCurrentThreadId(); }

unsigned ProcessorCount() noexcept
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? unsigned(info.dwNumberOfProcessors) : 1u;
}

std::int64_t PerformanceCounter() noexcept
{
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

std::int64_t PerformanceFrequency() noexcept
{
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    return frequency;
}

} // namespace Brintavolex::Platform
