#pragma once

#include "BMP/src/BMPFormat.h"
#include "Platform/api/Stream.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::BMP {

// One field of a published header structure, as it stood in the file.
struct HeaderField {
    const char *name;
    std::uint8_t bits;    // 16 or 32
    bool isSigned;
    std::int64_t value;
    // Set for the nested CIE structures of the V4/V5 headers.
    std::vector<HeaderField> children;
    const char *childComposite = nullptr;
};

// One header structure: its published name and fields in file order.
struct HeaderRecord {
    const char *name;
    std::vector<HeaderField> fields;
};

// Everything the read routine learns before the pixels.
struct Layout {
    bool hasFileHeader = false;
    std::uint32_t dataOffset = 0;      // offBits, or 0 without a file header
    std::uint32_t headerSize = 0;      // biSize / cbFix
    bool os2Core = false;              // the 12-byte OS/2 1.x header
    std::int64_t widthField = 0, heightField = 0;
    std::uint32_t width = 0, height = 0;
    bool topDown = false;
    std::uint16_t bitCount = 0;
    Compression compression = Compression::RGB;
    std::uint32_t imageSize = 0;       // biSizeImage
    std::uint32_t colorsUsed = 0;
    double xPixelsPerMetre = 0, yPixelsPerMetre = 0;
    std::uint32_t masks[4] = {};       // red, green, blue, alpha
    bool masksFromFile = false;
    std::uint32_t paletteEntries = 0;
    std::uint8_t palette[256][4] = {}; // blue, green, red, fourth byte
    std::uint64_t pixelPosition = 0;   // where the pixel data starts
    std::vector<HeaderRecord> headers;
};

// Reads the file header, the info header, the masks and the palette, and
// checks every size before anything depends on it, the decoded size against
// the decode limit. Throws Exception with the reason for anything the decoder
// cannot read.
Layout ReadLayout(IStream &stream);

} // namespace Brintavolex::BMP
