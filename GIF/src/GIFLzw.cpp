#include "GIF/src/GIFLzw.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace Brintavolex::GIF {

namespace {
constexpr unsigned kReservoirBits = 64;
} // namespace

LzwDecoder::LzwDecoder(BlockReader &in, unsigned codeSize)
    : _in(in), _codeSize(codeSize), _clear(1u << (codeSize & 15)), _end(_clear + 1)
{
    if (codeSize < kMinimumCodeSize || codeSize > kMaximumCodeSize)
        throw Exception("LZW code size " + std::to_string(codeSize) + " is out of range (" +
                        std::to_string(kMinimumCodeSize) + " to " + std::to_string(kMaximumCodeSize) + ")");
    for (unsigned c = 0; c < _clear; ++c) {
        _prefix[c] = 0;
        _suffix[c] = _first[c] = std::uint8_t(c);
        _length[c] = 1;
    }
    Reset();
}

void LzwDecoder::Reset()
{
    _width = _codeSize + 1;
    _next = _end + 1;
    _hasPrevious = false;
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
        _bits |= std::uint64_t(*_block++) << _held;
        _held += 8;
        --_blockLeft;
    }
}

void LzwDecoder::Decode(std::uint8_t *out, std::size_t count)
{
    std::size_t o = std::min(count, _pendingEnd - _pendingBegin);
    std::memcpy(out, _pending + _pendingBegin, o);
    _pendingBegin += o;
    while (o < count) {
        if (_held < _width) {
            Refill();
            if (_held < _width)
                throw Exception("the LZW data ends before the image's last pixel");
        }
        const unsigned code = unsigned(_bits) & ((1u << _width) - 1);
        _bits >>= _width;
        _held -= _width;
        if (code == _clear) {
            Reset();
            continue;
        }
        if (code == _end)
            throw Exception("End Of Image Code not expected yet");
        if (code > _next || (code == _next && !_hasPrevious))
            throw Exception("corrupt LZW data: code " + std::to_string(code) + " is beyond the next free code " +
                            std::to_string(_next));
        // A new string: the previous one and the first index of this one (of
        // the previous one when this code is the string being defined). A
        // full table takes no more until the next clear code.
        if (_hasPrevious && _next < kTableSize) {
            _prefix[_next] = std::uint16_t(_previous);
            _suffix[_next] = code == _next ? _first[_previous] : _first[code];
            _first[_next] = _first[_previous];
            _length[_next] = std::uint16_t(_length[_previous] + 1);
            ++_next;
        }
        _previous = code;
        _hasPrevious = true;
        if (_next >= (1u << _width) && _width < kMaximumCodeBits)
            ++_width;
        std::size_t length = _length[code];
        std::uint8_t *target = out + o;
        if (length > count - o) {
            target = _pending;
            _pendingBegin = count - o;
            _pendingEnd = length;
        }
        for (unsigned c = code; length > 0; c = _prefix[c])
            target[--length] = _suffix[c];
        if (target == _pending) {
            std::memcpy(out + o, _pending, _pendingBegin);
            o = count;
        } else {
            o += _length[code];
        }
    }
}

} // namespace Brintavolex::GIF
