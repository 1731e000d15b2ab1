#pragma once

// Facts of the TIFF and BigTIFF file structure.
#include <cstddef>
#include <cstdint>

namespace Brintavolex::TIF {

constexpr std::uint8_t kLittleEndianMark[2] = {'I', 'I'};
constexpr std::uint8_t kBigEndianMark[2] = {'M', 'M'};
constexpr std::uint16_t kClassicVersion = 42;
constexpr std::uint16_t kBigTiffVersion = 43;
constexpr std::uint16_t kBigTiffOffsetSize = 8;

// Byte order, version, first IFD offset (classic); BigTIFF adds the offset
// size and a reserved word and widens the offset.
constexpr unsigned kClassicHeaderSize = 8;
constexpr unsigned kBigTiffHeaderSize = 16;

// An IFD: entry count, entries, next IFD offset.
struct DirectoryLayout {
    unsigned countSize;  // 2 classic, 8 BigTIFF
    unsigned entrySize;  // 12 classic, 20 BigTIFF
    unsigned offsetSize; // 4 classic, 8 BigTIFF: also the inline value room
};
constexpr DirectoryLayout kClassicLayout{2, 12, 4};
constexpr DirectoryLayout kBigTiffLayout{8, 20, 8};

// Sub-directories below sub-directories: Exif holds Interoperability, two
// levels; deeper nesting is no published layout and is cut.
constexpr unsigned kMaxSubDirectoryDepth = 4;

// Refused entries of one directory that are named; a damaged directory may
// refuse every one of its 65535 entries.
constexpr std::size_t kMaxProblemsPerDirectory = 16;

// Directories and their out-of-line values of an honest file do not overlap,
// so together they fit in the stream; a file that makes them add up to more
// (entries pointing at the same bytes again and again) is cut there. The
// slack allows writers that share a value block between directories.
constexpr std::uint64_t kReadBudgetFactor = 2;
constexpr std::uint64_t kReadBudgetSlack = 64 * 1024;

} // namespace Brintavolex::TIF
