#pragma once

// Facts of the BMP format as the published structures define them.
#include <cstdint>

namespace Brintavolex::BMP {

// "BM", the first two bytes of a file with a BITMAPFILEHEADER.
constexpr std::uint8_t kSignature[2] = {'B', 'M'};
constexpr std::uint32_t kFileHeaderSize = 14;

// Info header sizes (biSize, cbFix). The OS/2 2.x header may be cut after
// any of its fields: see IsOS2InfoHeaderSize.
enum HeaderSize : std::uint32_t {
    kCoreHeaderSize = 12,       // OS/2 1.x BITMAPCOREHEADER
    kInfoHeaderSize = 40,       // BITMAPINFOHEADER
    kV2InfoHeaderSize = 52,     // BITMAPV2INFOHEADER: + RGB masks
    kV3InfoHeaderSize = 56,     // BITMAPV3INFOHEADER: + alpha mask
    kV4HeaderSize = 108,        // BITMAPV4HEADER
    kV5HeaderSize = 124,        // BITMAPV5HEADER
};

constexpr bool IsOS2InfoHeaderSize(std::uint32_t size) noexcept
{
    switch (size) {
    case 16: case 20: case 24: case 32: case 36: case 42: case 44: case 46: case 48: case 60: case 64:
        return true;
    default:
        return false;
    }
}

// biCompression / ulCompression. OS/2 gives 3 with one bit per pixel to
// Huffman 1D and 4 with 24 bits to RLE24.
enum class Compression : std::uint32_t {
    RGB = 0,
    RLE8 = 1,
    RLE4 = 2,
    BitFields = 3,      // BCA_HUFFMAN1D at one bit per pixel
    JPEG = 4,           // BCA_RLE24 at 24 bits per pixel
    PNG = 5,
    AlphaBitFields = 6,
};

constexpr bool IsRunLength(Compression c) noexcept { return c == Compression::RLE8 || c == Compression::RLE4; }
constexpr bool HasBitFields(Compression c) noexcept
{
    return c == Compression::BitFields || c == Compression::AlphaBitFields;
}

// Escapes of the run-length codes: a zero count followed by one of these.
enum RunLengthEscape : std::uint8_t {
    kEndOfLine = 0,
    kEndOfBitmap = 1,
    kDelta = 2,
    // 3 and above: an absolute run of that many indices.
};

// Default masks of uncompressed 16- and 32-bit pixels: red, green, blue, alpha.
constexpr std::uint32_t kDefaultMasks16[4] = {0x7C00, 0x03E0, 0x001F, 0};
constexpr std::uint32_t kDefaultMasks32[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

} // namespace Brintavolex::BMP
