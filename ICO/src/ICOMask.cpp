#include "ICO/src/ICOMask.h"

#include "ICO/src/ICOFormat.h"

#include <algorithm>

namespace Brintavolex::ICO {

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t> &bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

std::uint64_t RowBytes(std::uint64_t bits, std::uint64_t width) { return (bits * width + 31) / 32 * 4; }

// True when any fourth byte of the 32-bit colour rows is not 0.
bool HasAlpha(const std::uint8_t *colour, std::uint64_t rowBytes, std::uint32_t width, std::uint32_t height)
{
    for (std::uint64_t y = 0; y < height; ++y)
        for (std::uint64_t x = 0; x < width; ++x)
            if (colour[y * rowBytes + 4 * x + 3] != 0)
                return true;
    return false;
}

} // namespace

void ApplyAndMask(const std::vector<std::uint8_t> &dib, Data::ColorBGRA<std::uint8_t> *pixels, std::uint64_t stride,
                  std::uint32_t width, std::uint32_t height)
{
    if (dib.size() < kInfoHeaderSize)
        return;
    const std::uint32_t headerSize = Read32(dib, 0);
    const std::uint32_t bits = dib[kBitCountFieldOffset] | dib[kBitCountFieldOffset + 1] << 8;
    const std::uint32_t compression = Read32(dib, kCompressionFieldOffset);
    const std::uint32_t colorsUsed = Read32(dib, kColorsUsedFieldOffset);
    const bool topDown = std::int32_t(Read32(dib, kHeightFieldOffset)) < 0;
    // Compressed colour data has no fixed size, so its mask cannot be found.
    if (compression != kCompressionRGB && compression != kCompressionBitFields)
        return;

    // Where the colour rows start, as the BMP decoder finds them.
    std::uint64_t colour = std::uint64_t(headerSize);
    if (compression == kCompressionBitFields && headerSize == kInfoHeaderSize)
        colour += kBitFieldsMaskBytes;
    if (bits <= 8) {
        const std::uint64_t entries = std::uint64_t(1) << bits;
        colour += 4 * (colorsUsed != 0 ? std::min<std::uint64_t>(colorsUsed, entries) : entries);
    } else {
        colour += 4ull * colorsUsed;
    }
    const std::uint64_t colourRowBytes = RowBytes(bits, width);
    const std::uint64_t mask = colour + colourRowBytes * height;
    const std::uint64_t maskRowBytes = RowBytes(1, width);
    if (colour > dib.size() || mask > dib.size() || maskRowBytes * height > dib.size() - mask)
        return;
    if (bits == 32 && HasAlpha(dib.data() + colour, colourRowBytes, width, height))
        return;

    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t *in = dib.data() + mask + row * maskRowBytes;
        Data::ColorBGRA<std::uint8_t> *out = pixels + (topDown ? row : height - 1 - row) * stride;
        for (std::uint32_t x = 0; x < width; ++x)
            if (in[x >> 3] & (0x80 >> (x & 7)))
                out[x].a = 0;
    }
}

} // namespace Brintavolex::ICO
