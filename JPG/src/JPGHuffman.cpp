#include "JPG/src/JPGHuffman.h"

namespace Brintavolex::JPG {

DecodingTable::DecodingTable(const HuffmanTable &table)
{
    std::memcpy(values, table.values, sizeof values);
    std::int32_t code = 0;
    unsigned k = 0;
    for (unsigned length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        valueOffset[length] = std::int32_t(k) - code;
        for (unsigned i = 0; i < table.counts[length]; ++i, ++k, ++code)
            if (length <= kFastBits) {
                const unsigned shift = kFastBits - length;
                for (unsigned fill = 0; fill < (1u << shift); ++fill)
                    fast[(unsigned(code) << shift) | fill] = std::uint16_t(length << 8 | table.values[k]);
            }
        maxCode[length] = table.counts[length] ? code - 1 : -1;
        code <<= 1;
    }
    maxCode[kMaxHuffmanCodeLength + 1] = 0x7FFFFFFF;
    for (unsigned peek = 0; peek < (1u << kFastBits); ++peek) {
        const unsigned entry = fast[peek];
        if (!entry)
            continue;
        const unsigned length = entry >> 8, rs = entry & 0xFF, run = rs >> 4, size = rs & 15;
        if (size == 0 || length + size > kFastBits)
            continue;
        const int bits = int((peek >> (kFastBits - length - size)) & ((1u << size) - 1));
        const int value = bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
        fastAC[peek] = std::int32_t(std::uint32_t(value) << 16 | run << 8 | (length + size));
    }
}

ScanData UnstuffScan(const std::uint8_t *begin, const std::uint8_t *end, std::uint64_t expectedIntervals)
{
    ScanData data;
    data.bytes.reserve(std::size_t(end - begin));
    data.begins.push_back(0);
    unsigned expectedMarker = 0;
    const std::uint8_t *p = begin;
    while (p < end) {
        const void *found = std::memchr(p, 0xFF, std::size_t(end - p));
        const std::uint8_t *ff = found ? static_cast<const std::uint8_t *>(found) : end;
        data.bytes.insert(data.bytes.end(), p, ff);
        if (ff >= end)
            break;
        if (ff + 1 >= end) {
            p = end;
            break;
        }
        const std::uint8_t next = ff[1];
        if (next == 0) {
            data.bytes.push_back(0xFF);
        } else if (IsRestart(next)) {
            // Resynchronise: a marker out of sequence ends as many intervals
            // as it is ahead of the expected one.
            const unsigned number = next - kRST0;
            const unsigned ahead = (number - expectedMarker) & 7;
            for (unsigned i = 0; i <= ahead && data.begins.size() < expectedIntervals; ++i)
                data.begins.push_back(data.bytes.size());
            expectedMarker = (number + 1) & 7;
        } else if (next == 0xFF) {
            p = ff + 1; // a fill byte
            continue;
        }
        p = ff + 2;
    }
    data.begins.push_back(data.bytes.size());
    return data;
}

} // namespace Brintavolex::JPG
