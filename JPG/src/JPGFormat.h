#pragma once

// Facts of the JPEG format (ITU T.81) that the decoder needs.
#include <cstdint>

namespace Brintavolex::JPG {

enum Marker : std::uint8_t {
    kSOF0 = 0xC0, // baseline DCT
    kSOF1 = 0xC1,
    kSOF2 = 0xC2, // progressive DCT
    kSOF3 = 0xC3, // lossless
    kDHT = 0xC4,
    kSOF15 = 0xCF,
    kJPG = 0xC8,
    kDAC = 0xCC,
    kRST0 = 0xD0,
    kRST7 = 0xD7,
    kSOI = 0xD8,
    kEOI = 0xD9,
    kSOS = 0xDA,
    kDQT = 0xDB,
    kDNL = 0xDC,
    kDRI = 0xDD,
    kDHP = 0xDE,
    kEXP = 0xDF,
    kAPP0 = 0xE0,
    kAPP1 = 0xE1,
    kAPP14 = 0xEE,
    kAPP15 = 0xEF,
    kCOM = 0xFE,
    kTEM = 0x01,
};

constexpr bool IsStartOfFrame(std::uint8_t m) noexcept
{
    return m >= kSOF0 && m <= kSOF15 && m != kDHT && m != kJPG && m != kDAC;
}
constexpr bool IsRestart(std::uint8_t m) noexcept { return m >= kRST0 && m <= kRST7; }

constexpr unsigned kBlockSize = 8;
constexpr unsigned kBlockSamples = 64;
constexpr unsigned kMaxComponents = 4;
constexpr unsigned kMaxSamplingFactor = 4;
constexpr unsigned kTableSlots = 4;        // quantisation tables, and DC and AC Huffman tables each
constexpr unsigned kMaxHuffmanCodeLength = 16;
constexpr unsigned kMaxHuffmanValues = 256;
constexpr unsigned kMaxSuccessiveApproximation = 13;
constexpr unsigned kMaxPrecision = 16;

// Adobe APP14 colour transform.
enum class AdobeTransform : int { None = -1, RGBOrCMYK = 0, YCbCr = 1, YCCK = 2 };

// Zig-zag position k -> natural (row-major) index; 16 extra entries absorb a
// run that would pass the end of a damaged block.
constexpr std::uint8_t kZigZag[64 + 16] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

} // namespace Brintavolex::JPG
