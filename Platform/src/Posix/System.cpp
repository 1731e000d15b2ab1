#include "Platform/api/System.h"

#include <cerrno>
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

std::int64_t PerformanceCounter() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t PerformanceFrequency() noexcept { return 1000000000; }

} // namespace Brintavolex::Platform
