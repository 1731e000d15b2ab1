#pragma once

#include "JPG/src/JPGFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Brintavolex::JPG {

struct HuffmanTable {
    bool defined = false;
    std::uint8_t counts[kMaxHuffmanCodeLength + 1] = {}; // counts[1..16]
    std::uint8_t values[kMaxHuffmanValues] = {};
    unsigned valueCount = 0;
};

struct QuantizationTable {
    bool defined = false;
    std::uint16_t values[kBlockSamples] = {}; // zig-zag order
};

// What DQT, DHT and DRI define; a scan takes a copy of the tables in force.
struct Tables {
    QuantizationTable quantization[kTableSlots];
    HuffmanTable dc[kTableSlots], ac[kTableSlots];
    std::uint32_t restartInterval = 0;
};

struct Component {
    std::uint8_t id = 0, h = 1, v = 1, tq = 0;
    std::uint32_t width = 0, height = 0;          // samples: ceil(X * h / hMax), ceil(Y * v / vMax)
    std::uint32_t blocksWide = 0, blocksHigh = 0; // blocks, padded to whole MCUs
};

struct Frame {
    std::uint8_t marker = 0;
    unsigned precision = 8;
    std::uint32_t width = 0, height = 0;
    std::vector<Component> components;
    unsigned hMax = 1, vMax = 1;
    std::uint32_t mcusWide = 0, mcusHigh = 0;
    bool Progressive() const noexcept { return marker == kSOF2; }
    bool Lossless() const noexcept { return marker == kSOF3; }
};

struct ScanComponent {
    unsigned index = 0; // into Frame::components
    unsigned dcTable = 0, acTable = 0;
};

struct Scan {
    std::vector<ScanComponent> components;
    unsigned ss = 0, se = 63, ah = 0, al = 0;
    Tables tables;
    std::size_t dataBegin = 0, dataEnd = 0; // entropy-coded bytes, markers included
    bool cutShort = false;                  // the file ends inside the data
};

// One marker segment as it stands in the file.
struct Segment {
    std::uint8_t marker = 0;
    std::size_t offset = 0; // of the FF
    std::size_t length = 0; // the length field's value; 0 for markers without one
    std::size_t dataEnd = 0; // for SOS: where the entropy-coded data ends
};

struct Structure {
    std::vector<Segment> segments;
    bool hasFrame = false;
    Frame frame;
    std::vector<Scan> scans;
    Tables tables; // in force at the end
    AdobeTransform adobe = AdobeTransform::None;
    bool jfif = false;
    std::size_t exifOffset = 0, exifLength = 0; // the TIFF structure of an APP1 "Exif" segment
};

// Parses every marker segment of a JPEG stream held in bytes and checks
// what the decoder will index with. Tables given as a start (a tables-only
// stream's) are in force from the beginning. Throws Exception naming the
// field for anything the decoder cannot use.
Structure ParseStructure(const std::vector<std::uint8_t> &bytes, const Tables *initial = nullptr);

// A tables-only stream: SOI, DQT, DHT, DRI and EOI.
Tables ParseTables(const std::vector<std::uint8_t> &bytes);

} // namespace Brintavolex::JPG
