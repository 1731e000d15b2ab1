#include "Platform/api/System.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace Brintavolex::Platform {

std::uint32_t LastSystemError() noexcept { return std::uint32_t(errno); }
std::uint32_t CurrentProcessId() noexcept { return std::uint32_t(getpid()); }
std::uint32_t CurrentThreadId() noexcept { return std::uint32_t(syscall(SYS_gettid)); }

unsigned ProcessorCount() noexcept
{
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? unsigned(n) : 1u;
}

bool GetLocalTimeNow(LocalTime &time) noexcept
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == std::time_t(-1) || !localtime_r(&now, &local))
        return false;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.offsetMinutes = int(local.tm_gmtoff / 60);
    return true;
}

void DebugOutput(const char *text) noexcept
{
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

std::int64_t PerformanceCounter() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t PerformanceFrequency() noexcept { return 1000000000; }

} // namespace Brintavolex::Platform
