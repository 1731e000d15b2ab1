#pragma once

#include "Platform/api/Stream.h"

#include <cerrno>
#include <cstdint>

namespace Brintavolex::Platform::Posix {

// errno in the Win32 codes the callers know; others keep their errno value
// with the top bit set.
inline std::uint32_t Win32Code(int error) noexcept
{
    switch (error) {
    case ENOENT: return SystemError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return SystemError::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return SystemError::AccessDenied;
    case EBUSY:
    case ETXTBSY: return SystemError::SharingViolation;
    default: return 0x80000000u | std::uint32_t(error);
    }
}

} // namespace Brintavolex::Platform::Posix
