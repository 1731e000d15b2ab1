#pragma once

#include <cstdint>

namespace Brintavolex::Cli {

// The most memory the process has held so far (resident set, working set),
// in bytes; 0 when the system does not say.
std::uint64_t PeakMemoryBytes() noexcept;

} // namespace Brintavolex::Cli
