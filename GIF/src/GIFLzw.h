#pragma once

// The GIF variant of LZW: codes least-significant bit first, from the
// initial code size + 1 up to 12 bits, no early change, and a full table
// that stays in use until the next clear code.
#include "GIF/src/GIFStructure.h"

#include <cstdint>

namespace Brintavolex::GIF {

class LzwDecoder {
public:
    // Reads the image data's sub-blocks from in, which stands after the
    // code size byte. A code size outside 1 to 11 is refused here, before
    // anything is sized by it.
    LzwDecoder(BlockReader &in, unsigned codeSize);

    // Writes the next count pixel indices: up to 2047 under code size 11,
    // beyond any colour table from 256 on. A string that does not fit is
    // kept for the next call. Corrupt data throws Exception.
    void Decode(std::uint16_t *out, std::size_t count);

private:
    void Refill();

    BlockReader &_in;
    const unsigned _codeSize, _clear, _end;
    unsigned _width = 0, _next = 0, _previous = 0;
    bool _hasPrevious = false;
    // The bit reservoir, lowest bits first, and the sub-block it drains.
    std::uint64_t _bits = 0;
    unsigned _held = 0;
    const std::uint8_t *_block = nullptr;
    std::size_t _blockLeft = 0;
    bool _lastBlock = false;
    // Each code's string: the code before it, its last and first index, and
    // its length. Strings are written back to front.
    std::uint16_t _prefix[kTableSize];
    std::uint16_t _suffix[kTableSize];
    std::uint16_t _first[kTableSize];
    std::uint16_t _length[kTableSize];
    // The part of a string that did not fit into the last call's output.
    std::uint16_t _pending[kTableSize];
    std::size_t _pendingBegin = 0, _pendingEnd = 0;
};

} // namespace Brintavolex::GIF
