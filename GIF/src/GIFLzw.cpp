#include "GIF/src/GIFLzw.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Brintavolex::GIF {

namespace {
constexpr unsigned kReservoirBits = 64;
} // namespace

LzwDecoder::LzwDecoder(BlockReader &in, unsigned codeSize)
    // The size is checked below; masked, it cannot overflow the shift first.
    : _in(in), _codeSize(codeSize), _clear(1u << (codeSize & 15)), _end(_clear + 1)
{
    if (codeSize < kMinimumCodeSize || codeSize > kMaximumCodeSize)
        throw Exception("LZW code size " + std::to_string(codeSize) + " is out of range (" +
                        std::to_string(kMinimumCodeSize) + " to " + std::to_string(kMaximumCodeSize) + ")");
    for (unsigned c = 0; c < _clear; ++c) {
        _prefix[c] = 0;
        _suffix[c] = _first[c] = std::uint16_t(c);
        _length[c] = 1;
    }
    _width = codeSize + 1;
    _next = _end + 1;
}

void LzwDecoder::Refill()
{
    while (_held <= kReservoirBits - 8) {
        if (_blockLeft == 0) {
            if (_lastBlock)
                return;
            const std::uint8_t length = _in.Byte();
            if (length == 0) {
                _lastBlock = true;
                return;
            }
            _block = _in.Span(length);
            _blockLeft = length;
        }
        if (_blockLeft >= sizeof(std::uint64_t)) {
            // Whole bytes up to a full reservoir at once.
            std::uint64_t word;
            std::memcpy(&word, _block, sizeof word);
            const unsigned take = (kReservoirBits - _held) / 8;
            _bits |= word << _held;
            _held += 8 * take;
            if (_held < kReservoirBits)
                _bits &= (std::uint64_t(1) << _held) - 1;
            _block += take;
            _blockLeft -= take;
            continue;
        }
        _bits |= std::uint64_t(*_block++) << _held;
        _held += 8;
        --_blockLeft;
    }
}

void LzwDecoder::Decode(std::uint16_t *out, std::size_t count)
{
    std::size_t o = std::min(count, _pendingEnd - _pendingBegin);
    std::copy_n(_pending + _pendingBegin, o, out);
    _pendingBegin += o;
    // The state in locals: writes through out could alias the members.
    std::uint64_t bits = _bits;
    unsigned held = _held, width = _width, next = _next, previous = _previous;
    bool hasPrevious = _hasPrevious;
    const auto save = [&] {
        _bits = bits;
        _held = held;
        _width = width;
        _next = next;
        _previous = previous;
        _hasPrevious = hasPrevious;
    };
    while (o < count) {
        if (held < width) {
            save();
            Refill();
            bits = _bits;
            held = _held;
            if (held < width)
                throw Exception("the LZW data ends before the image's last pixel");
        }
        const unsigned code = unsigned(bits) & ((1u << width) - 1);
        bits >>= width;
        held -= width;
        if (code < _clear && !hasPrevious) {
            out[o++] = std::uint16_t(code);
            previous = code;
            hasPrevious = true;
            if (next >= (1u << width) && width < kMaximumCodeBits)
                ++width;
            continue;
        }
        if (code == _clear) {
            width = _codeSize + 1;
            next = _end + 1;
            hasPrevious = false;
            continue;
        }
        if (code == _end) {
            save();
            throw Exception("End Of Image Code not expected yet");
        }
        if (code > next || (code == next && !hasPrevious)) {
            save();
            throw Exception("corrupt LZW data: code " + std::to_string(code) + " is beyond the next free code " +
                            std::to_string(next));
        }
        // A new string: the previous one and the first index of this one (of
        // the previous one when this code is the string being defined). A
        // full table takes no more until the next clear code.
        if (next < kTableSize) {
            _prefix[next] = std::uint16_t(previous);
            _suffix[next] = code == next ? _first[previous] : _first[code];
            _first[next] = _first[previous];
            _length[next] = std::uint16_t(_length[previous] + 1);
            ++next;
        }
        previous = code;
        if (next >= (1u << width) && width < kMaximumCodeBits)
            ++width;
        const std::size_t length = _length[code];
        if (length <= count - o) {
            std::uint16_t *end = out + o + length;
            for (unsigned c = code; end != out + o; c = _prefix[c])
                *--end = _suffix[c];
            o += length;
            continue;
        }
        // Only part fits: the rest waits for the next call.
        std::uint16_t *end = _pending + length;
        for (unsigned c = code; end != _pending; c = _prefix[c])
            *--end = _suffix[c];
        _pendingBegin = count - o;
        _pendingEnd = length;
        std::copy_n(_pending, _pendingBegin, out + o);
        o = count;
    }
    save();
}

} // namespace Brintavolex::GIF
