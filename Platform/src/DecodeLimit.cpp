#include "Platform/api/DecodeLimit.h"

#include "Root/api/Exception.h"

#include <atomic>
#include <string>

namespace Brintavolex {

namespace {
std::atomic<std::uint64_t> limit{kDefaultDecodeLimit};
}

std::uint64_t GetDecodeLimit() noexcept { return limit.load(std::memory_order_relaxed); }

void SetDecodeLimit(std::uint64_t bytes) noexcept { limit.store(bytes, std::memory_order_relaxed); }

void CheckDecodeLimit(const char *operation, std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel,
                      std::uint64_t depth)
{
    const std::uint64_t allowed = GetDecodeLimit();
    // In 128 bits, each product checked before the next: nothing wraps.
    unsigned __int128 bytes = (unsigned __int128)width * height;
    bool within = bytes <= allowed;
    if (within) {
        bytes *= depth;
        within = bytes <= allowed && bytes * bytesPerPixel <= allowed;
    }
    if (within)
        return;
    std::string text = std::string(operation) + ": " + std::to_string(width) + " x " + std::to_string(height);
    if (depth != 1)
        text += " x " + std::to_string(depth);
    text += " pixels of " + std::to_string(bytesPerPixel) + " bytes exceed the decode limit of " +
            std::to_string(allowed) + " bytes";
    throw Exception(text.c_str());
}

} // namespace Brintavolex
