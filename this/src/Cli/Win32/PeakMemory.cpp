#include "this/src/Cli/PeakMemory.h"

// Version 2 takes the function from kernel32, so nothing links psapi.
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

namespace Brintavolex::Cli {

std::uint64_t PeakMemoryBytes() noexcept
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

} // namespace Brintavolex::Cli
