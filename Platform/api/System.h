#pragma once

#include <cstdint>

namespace Brintavolex::Platform {

// The calling thread's last operating-system error code (GetLastError on
// Windows, errno elsewhere).
std::uint32_t LastSystemError() noexcept;
std::uint32_t CurrentProcessId() noexcept;
std::uint32_t CurrentThreadId() noexcept;
// Number of logical processors the process may use (at least 1).
unsigned ProcessorCount() noexcept;

// High-resolution counter and its ticks per second (QueryPerformanceCounter
// on Windows, the monotonic clock elsewhere).
std::int64_t PerformanceCounter() noexcept;
std::int64_t PerformanceFrequency() noexcept;

} // namespace Brintavolex::Platform
