#pragma once

// Facts of the GIF87a and GIF89a formats that the decoder needs.
#include <cstdint>

namespace Brintavolex::GIF {

constexpr std::uint64_t kHeaderSize = 6;           // "GIF" and the version
constexpr std::uint64_t kScreenDescriptorSize = 7; // after the header
constexpr std::uint64_t kImageDescriptorSize = 9;  // after the separator
constexpr std::uint64_t kColorEntrySize = 3;       // red, green, blue

enum Introducer : std::uint8_t {
    kExtensionIntroducer = 0x21,
    kImageSeparator = 0x2C,
    kTrailer = 0x3B,
};

enum Label : std::uint8_t {
    kGraphicControlLabel = 0xF9,
    kCommentLabel = 0xFE,
    kApplicationLabel = 0xFF,
};

// The packed bytes of the screen and image descriptors: a colour table of
// 2 << (packed & 7) entries follows when bit 7 is set.
constexpr std::uint8_t kColorTableFlag = 0x80;
constexpr std::uint8_t kColorTableSizeMask = 0x07;
constexpr std::uint8_t kInterlaceFlag = 0x40;
constexpr unsigned ColorTableEntries(std::uint8_t packed) noexcept { return 2u << (packed & kColorTableSizeMask); }
constexpr unsigned kMostColors = 256;

// The Graphics Control Extension: its block size is 4 (packed, delay,
// transparent index); the packed byte holds the disposal and the
// transparency flag.
constexpr std::uint8_t kGraphicControlBlockSize = 4;
constexpr std::uint8_t kTransparencyFlag = 0x01;
constexpr unsigned kDisposalShift = 2;
constexpr std::uint8_t kDisposalMask = 0x07;

enum class Disposal : std::uint8_t {
    None = 0,       // unspecified: leave the canvas
    Keep = 1,       // leave the canvas
    Background = 2, // clear the image's rectangle
    Previous = 3,   // restore what was there before the image
};

// The LZW data: a code size byte, then sub-blocks up to one of length 0.
// Codes grow to 12 bits; encoders write code sizes 2 to 8, and 1 to 11 leave
// room in a 12-bit table for the clear and end codes and one string.
constexpr unsigned kMinimumCodeSize = 1;
constexpr unsigned kMaximumCodeSize = 11;
constexpr unsigned kMaximumCodeBits = 12;
constexpr unsigned kTableSize = 1u << kMaximumCodeBits;

// Interlaced images store their rows in four passes: first row and step.
struct InterlacePass {
    std::uint32_t first, step;
};
constexpr InterlacePass kInterlacePasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

} // namespace Brintavolex::GIF
