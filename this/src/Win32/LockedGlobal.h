#pragma once

// Global memory handed over by the clipboard or a drop, locked for reading
// and unlocked on every way out.

#include "Root/api/Exception.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Brintavolex::Win32 {

class LockedGlobal {
public:
    // Throws a SystemErrorException of context when the memory cannot be locked.
    LockedGlobal(HGLOBAL memory, const char *context) : _memory(memory), _data(memory ? GlobalLock(memory) : nullptr)
    {
        if (!_data)
            throw SystemErrorException(context, "GlobalLock", std::uint32_t(GetLastError()));
    }
    ~LockedGlobal() { GlobalUnlock(_memory); }
    LockedGlobal(const LockedGlobal &) = delete;
    LockedGlobal &operator=(const LockedGlobal &) = delete;
    const std::uint8_t *Data() const noexcept { return static_cast<const std::uint8_t *>(_data); }
    std::size_t Size() const noexcept { return GlobalSize(_memory); }

private:
    HGLOBAL _memory;
    void *_data;
};

} // namespace Brintavolex::Win32
