#include "Platform/api/Video/Context.h"

namespace Brintavolex::Platform::Video {

// No compositor to ask: drawing never waits for one.
bool IsDesktopCompositionEnabled() noexcept { return false; }

} // namespace Brintavolex::Platform::Video
