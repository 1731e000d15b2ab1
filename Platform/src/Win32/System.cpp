#include "Platform/api/System.h"

#include <windows.h>

#include <cstdio>

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

bool GetLocalTimeNow(LocalTime &time) noexcept
{
    // Both clocks from one instant; their difference is the offset.
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    FILETIME utcFile{}, localFile{};
    if (!SystemTimeToFileTime(&utc, &utcFile) || !SystemTimeToFileTime(&local, &localFile))
        return false;
    const auto ticks = [](const FILETIME &f) {
        return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    const long long difference = ticks(localFile) - ticks(utcFile); // 100 ns units
    time.year = local.wYear;
    time.month = local.wMonth;
    time.day = local.wDay;
    time.hour = local.wHour;
    time.minute = local.wMinute;
    time.second = local.wSecond;
    time.offsetMinutes = int(difference / 600000000LL);
    return true;
}

void DebugOutput(const char *text) noexcept
{
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
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
