#include "Platform/api/Version.h"

namespace Brintavolex {

const char *ProductName() noexcept { return "Brintavolex Viewer"; }
const char *ProductVersion() noexcept { return BRINTAVOLEX_VERSION; }

} // namespace Brintavolex
