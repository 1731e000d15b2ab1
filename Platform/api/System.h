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

// Local wall-clock time and its offset from UTC in minutes (east positive).
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int offsetMinutes = 0;
};
// False when the local time cannot be obtained.
bool GetLocalTimeNow(LocalTime &time) noexcept;

// Last-resort diagnostics that must not go through the error log
// (OutputDebugString and stderr on Windows, stderr elsewhere).
void DebugOutput(const char *text) noexcept;

// High-resolution counter and its ticks per second (QueryPerformanceCounter
// on Windows, the monotonic clock elsewhere).
std::int64_t PerformanceCounter() noexcept;
std::int64_t PerformanceFrequency() noexcept;

} // namespace Brintavolex::Platform
