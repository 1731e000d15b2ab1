#pragma once

#include "JPG/src/JPGStructure.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Brintavolex::JPG {

// A Huffman table ready for decoding: codes of up to kFastBits bits in one
// lookup, longer ones by the canonical code ranges.
struct DecodingTable {
    static constexpr unsigned kFastBits = 10;
    // (length << 8) | value, or 0 for a longer code.
    std::uint16_t fast[1u << kFastBits] = {};
    std::int32_t maxCode[kMaxHuffmanCodeLength + 2] = {};
    std::int32_t valueOffset[kMaxHuffmanCodeLength + 1] = {};
    std::uint8_t values[kMaxHuffmanValues] = {};
    // For AC tables: code and magnitude bits together within kFastBits, as
    // (value << 16) | (run << 8) | bits; 0 when they do not fit.
    std::int32_t fastAC[1u << kFastBits] = {};

    explicit DecodingTable(const HuffmanTable &table);
    DecodingTable() = default;
};

// The entropy-coded data of one restart interval with the stuffed zeros
// removed. Past its end the reader yields zero bits and counts them: a
// damaged interval ends, it never reads beyond its data.
class BitReader {
public:
    BitReader(const std::uint8_t *begin, const std::uint8_t *end) noexcept : _p(begin), _end(end) {}

    void Fill() noexcept
    {
        if (_bits > 56)
            return;
        if (_end - _p >= 8) {
            std::uint64_t v;
            std::memcpy(&v, _p, 8);
            v = __builtin_bswap64(v);
            // Bits past the whole bytes taken are the stream's own next bits;
            // the next fill writes the same bits over them.
            _buffer |= v >> _bits;
            const unsigned bytes = (63 - _bits) >> 3;
            _p += bytes;
            _bits += bytes * 8;
            return;
        }
        while (_bits <= 56) {
            std::uint64_t byte = 0;
            if (_p < _end)
                byte = *_p++;
            else
                ++_overrun;
            _buffer |= byte << (56 - _bits);
            _bits += 8;
        }
    }

    unsigned Peek(unsigned n) const noexcept { return unsigned(_buffer >> (64 - n)); }
    void Skip(unsigned n) noexcept
    {
        _buffer <<= n;
        _bits -= n;
    }
    // n bits (n <= 16) as an unsigned number.
    unsigned Bits(unsigned n) noexcept
    {
        if (n == 0)
            return 0;
        if (_bits < n)
            Fill();
        const unsigned v = Peek(n);
        Skip(n);
        return v;
    }
    unsigned Bit() noexcept
    {
        if (_bits == 0)
            Fill();
        const unsigned v = unsigned(_buffer >> 63);
        Skip(1);
        return v;
    }

    int Decode(const DecodingTable &table) noexcept
    {
        if (_bits < kMaxHuffmanCodeLength)
            Fill();
        return DecodeFilled(table);
    }
    // Decode without filling: the caller filled, and at most 32 bits are read
    // before the next fill.
    int DecodeFilled(const DecodingTable &table) noexcept
    {
        const unsigned entry = table.fast[Peek(DecodingTable::kFastBits)];
        if (entry) {
            Skip(entry >> 8);
            return entry & 0xFF;
        }
        // Longer codes: find the length whose range holds the code.
        for (unsigned length = DecodingTable::kFastBits + 1; length <= kMaxHuffmanCodeLength; ++length) {
            const std::int32_t code = std::int32_t(Peek(length));
            if (code <= table.maxCode[length]) {
                Skip(length);
                return table.values[(table.valueOffset[length] + code) & 0xFF];
            }
        }
        // No code matches: damaged data. Consume all and give value 0.
        Skip(kMaxHuffmanCodeLength);
        _invalidCode = true;
        return 0;
    }

    // The signed value of an s-bit magnitude category (s <= 16).
    int Receive(unsigned s) noexcept
    {
        if (_bits < s)
            Fill();
        return ReceiveFilled(s);
    }
    int ReceiveFilled(unsigned s) noexcept
    {
        if (s == 0)
            return 0;
        if (s == 16)
            return 32768;
        const int v = int(Peek(s));
        Skip(s);
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }

    // True when the interval read more than its data held, or a code that
    // no table defines.
    bool Damaged() const noexcept { return _invalidCode || _overrun * 8 > 64 + 8 * 8; }

private:
    const std::uint8_t *_p, *_end;
    std::uint64_t _buffer = 0;
    unsigned _bits = 0;
    std::size_t _overrun = 0;
    bool _invalidCode = false;
};

// The entropy-coded data of a scan, stuffing removed, cut at the restart
// markers: interval i is bytes [begins[i], begins[i + 1]). A restart
// marker out of sequence leaves the intervals it skipped empty.
struct ScanData {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> begins; // one more than the intervals
    std::size_t Intervals() const noexcept { return begins.size() - 1; }
    BitReader Reader(std::size_t interval) const noexcept
    {
        if (interval + 1 >= begins.size())
            return BitReader(bytes.data(), bytes.data());
        return BitReader(bytes.data() + begins[interval], bytes.data() + begins[interval + 1]);
    }
};

ScanData UnstuffScan(const std::uint8_t *begin, const std::uint8_t *end, std::uint64_t expectedIntervals);

} // namespace Brintavolex::JPG
