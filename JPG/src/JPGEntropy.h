#pragma once

#include "JPG/src/JPGHuffman.h"
#include "JPG/src/JPGStructure.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::JPG {

// The quantised coefficients of one component, 64 per block in natural
// order, for a range of block rows (a band, or the whole picture).
struct CoefficientPlane {
    std::vector<std::int16_t> coefficients;
    std::uint32_t blocksWide = 0, blockRows = 0, firstBlockRow = 0;

    void Allocate(std::uint32_t wide, std::uint32_t rows, std::uint32_t first);
    std::int16_t *Block(std::uint32_t bx, std::uint32_t by) noexcept
    {
        return &coefficients[(std::size_t(by - firstBlockRow) * blocksWide + bx) * kBlockSamples];
    }
};

// Decodes a sequential scan that holds every component, MCU row after MCU
// row, keeping its place between calls so that bands can follow each other.
class SequentialScanDecoder {
public:
    SequentialScanDecoder(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file);
    // Decodes MCU rows [first, end) into planes whose block rows cover them.
    void DecodeRows(std::uint32_t first, std::uint32_t end, std::vector<CoefficientPlane> &planes);

private:
    void StartInterval(std::uint64_t interval);
    void DecodeBlock(BitReader &reader, unsigned componentInScan, std::int16_t *block);

    const Frame &_frame;
    const Scan &_scan;
    ScanData _data;
    std::vector<DecodingTable> _dc, _ac;
    std::uint64_t _mcusPerInterval;
    std::uint64_t _interval = ~std::uint64_t(0);
    std::uint64_t _mcusLeft = 0; // in the current restart interval
    BitReader _reader{nullptr, nullptr};
    int _predictors[kMaxComponents] = {};
};

// Decodes any DCT scan (sequential of some components, or progressive)
// into planes that hold the whole picture.
void DecodeScanIntoPlanes(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file,
                          std::vector<CoefficientPlane> &planes);

// Decodes a lossless scan into per-component sample planes of
// Component::blocksWide x blocksHigh samples (whole MCUs).
void DecodeLosslessScan(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file,
                        std::vector<std::vector<std::uint16_t>> &samples);

} // namespace Brintavolex::JPG
