#include "this/src/Cli/PeakMemory.h"

#include <sys/resource.h>

namespace Brintavolex::Cli {

std::uint64_t PeakMemoryBytes() noexcept
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return std::uint64_t(usage.ru_maxrss) * 1024; // Linux counts KiB
}

} // namespace Brintavolex::Cli
