#pragma once

// The trivial picture format of the test plug-in (".bvtp"), all numbers
// little-endian:
//   0  "BVTP"
//   4  UInt16 version (1)
//   6  UInt16 flags (below)
//   8  UInt32 width
//  12  UInt32 height
//  16  UInt16 levels[4]
//  24  char comment[16], zero-padded
//  40  Float64 gamma
//  48  width x height BGRA8 pixels, rows top-down without padding
#include <cstdint>
#include <cstring>
#include <string>

namespace BrintavolexTestFormat {

constexpr std::uint32_t kHeaderSize = 48;

// Ways to misbehave on purpose.
enum Flags : std::uint16_t {
    FailInGet = 1,           // Get fails with E_FAIL
    GrowOnSecondAsk = 2,     // DecodeBasicInfo reports a much wider picture from its second call on
    SmallAllocatedWidth = 4, // allocated width below the width
    UnknownColorType = 8,    // pixel type code 999
    Opaque = 16,             // published as the Bool "Opaque"
    EndlessChildren = 32,    // the header reports 2^64 - 1 children, of which only the real ones can be had
};

struct Header {
    std::uint16_t version = 1;
    std::uint16_t flags = 0;
    std::uint32_t width = 0, height = 0;
    std::uint16_t levels[4] = {};
    char comment[16] = {};
    double gamma = 1.0;
};

inline void Put(std::string &out, const void *data, std::size_t size) { out.append(static_cast<const char *>(data), size); }

// A file of the format: the header and pixel (x, y) = (b, g, r, a) given by
// pixel(x, y, channel).
template <class F> std::string MakeFile(const Header &header, F &&pixel)
{
    std::string file = "BVTP";
    Put(file, &header.version, 2);
    Put(file, &header.flags, 2);
    Put(file, &header.width, 4);
    Put(file, &header.height, 4);
    Put(file, header.levels, 8);
    Put(file, header.comment, 16);
    Put(file, &header.gamma, 8);
    for (std::uint32_t y = 0; y < header.height; ++y)
        for (std::uint32_t x = 0; x < header.width; ++x)
            for (int c = 0; c < 4; ++c)
                file.push_back(char(pixel(x, y, c)));
    return file;
}

} // namespace BrintavolexTestFormat
