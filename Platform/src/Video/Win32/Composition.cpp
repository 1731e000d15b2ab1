#include "Platform/api/ErrorLog.h"
#include "Platform/api/Video/Context.h"

#include <windows.h>
#include <dwmapi.h>

namespace Brintavolex::Platform::Video {

bool IsDesktopCompositionEnabled() noexcept
{
    BOOL enabled = FALSE;
    const HRESULT result = DwmIsCompositionEnabled(&enabled);
    if (FAILED(result)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("DwmIsCompositionEnabled", static_cast<std::uint32_t>(result));
        return false;
    }
    return enabled != FALSE;
}

} // namespace Brintavolex::Platform::Video
