#pragma once

// Facts of icon and cursor files (ICONDIR, ICONDIRENTRY) and of the
// bitmaps they embed.
#include <cstdint>

namespace Brintavolex::ICO {

constexpr std::uint16_t kIconType = 1;
constexpr std::uint16_t kCursorType = 2;
constexpr std::uint64_t kDirectorySize = 6; // idReserved, idType, idCount
constexpr std::uint64_t kEntrySize = 16;

// An embedded bitmap starts with a BITMAPINFOHEADER (or a later, longer
// header); its height counts the colour rows and the mask rows together.
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeightFieldOffset = 8;
constexpr std::size_t kBitCountFieldOffset = 14;
constexpr std::size_t kCompressionFieldOffset = 16;
constexpr std::size_t kColorsUsedFieldOffset = 32;
constexpr std::uint32_t kCompressionRGB = 0;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr std::uint32_t kBitFieldsMaskBytes = 12; // after a 40-byte header

// A width or height byte of 0 means 256.
constexpr unsigned kZeroSizeMeans = 256;
// Bit counts above this are not colour depths (or a cursor's hot spot).
constexpr unsigned kDeepestBitCount = 32;

} // namespace Brintavolex::ICO
