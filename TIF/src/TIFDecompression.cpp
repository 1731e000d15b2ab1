#include "TIF/src/TIFDecompression.h"

#include "Root/api/Exception.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace Brintavolex::TIF {

std::size_t UnpackBits(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected)
{
    std::size_t i = 0, o = 0;
    while (i < size && o < expected) {
        const int n = std::int8_t(in[i++]);
        if (n >= 0) { // n + 1 literal bytes
            const std::size_t count = std::min({std::size_t(n) + 1, size - i, expected - o});
            std::memcpy(out + o, in + i, count);
            i += std::size_t(n) + 1;
            o += count;
        } else if (n != -128) { // the next byte 1 - n times; -128 is a no-op
            if (i >= size)
                break;
            const std::size_t count = std::min(std::size_t(1 - n), expected - o);
            std::memset(out + o, in[i++], count);
            o += count;
        }
    }
    return o;
}

namespace {

constexpr unsigned kClearCode = 256;
constexpr unsigned kEndOfInformation = 257;
constexpr unsigned kFirstCode = 258;
constexpr unsigned kMaxCodeBits = 12;
constexpr unsigned kTableSize = 1u << kMaxCodeBits;

} // namespace

std::size_t DecodeLZW(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected)
{
    // Each code: the code before it (its prefix), its last byte, its first
    // byte and its length; a string is written back to front.
    struct Entry {
        std::uint16_t prefix;
        std::uint8_t last, first;
        std::uint16_t length;
    };
    Entry table[kTableSize];
    for (unsigned c = 0; c < 256; ++c)
        table[c] = Entry{0, std::uint8_t(c), std::uint8_t(c), 1};
    unsigned next = kFirstCode, width = 9;
    int previous = -1;
    std::uint32_t bits = 0;
    unsigned held = 0;
    std::size_t i = 0, o = 0;
    auto put = [&](unsigned code, std::size_t at) {
        for (std::size_t k = table[code].length; k-- > 0; code = table[code].prefix)
            if (at + k < expected)
                out[at + k] = table[code].last;
    };
    while (o < expected) {
        while (held < width && i < size) {
            bits = bits << 8 | in[i++];
            held += 8;
        }
        if (held < width)
            break;
        const unsigned code = (bits >> (held - width)) & ((1u << width) - 1);
        held -= width;
        if (code == kEndOfInformation)
            break;
        if (code == kClearCode) {
            next = kFirstCode;
            width = 9;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            // The first code after a clear is a single byte.
            if (code > 255)
                break;
            out[o++] = std::uint8_t(code);
            previous = int(code);
            continue;
        }
        std::size_t length;
        std::uint8_t first;
        if (code < next && (code < 256 || code >= kFirstCode)) {
            put(code, o);
            length = table[code].length;
            first = table[code].first;
        } else if (code == next) {
            // Not in the table yet: the previous string and its own first byte.
            put(unsigned(previous), o);
            first = table[previous].first;
            length = table[previous].length + 1u;
            if (o + length - 1 < expected)
                out[o + length - 1] = first;
        } else {
            break; // a code no table can hold yet: damaged data
        }
        if (next < kTableSize) {
            table[next] = Entry{std::uint16_t(previous), first, table[previous].first,
                                std::uint16_t(table[previous].length + 1)};
            ++next;
        }
        o = std::min(o + length, expected);
        previous = int(code);
        // Early change: one code before the width is exhausted.
        if (next + 1 >= (1u << width) && width < kMaxCodeBits)
            ++width;
    }
    return o;
}

std::size_t Inflate(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw Exception("zlib uncompress Z_MEM_ERROR");
    std::size_t produced = 0;
    int result = Z_OK;
    // zlib counts in 32 bits: feed and fill in pieces.
    constexpr std::size_t kPiece = std::size_t(1) << 30;
    while (result == Z_OK && produced < expected) {
        const std::size_t consumed = std::size_t(z.next_in ? z.next_in - in : 0);
        z.next_in = const_cast<Bytef *>(in + consumed);
        z.avail_in = uInt(std::min(size - consumed, kPiece));
        z.next_out = out + produced;
        z.avail_out = uInt(std::min(expected - produced, kPiece));
        const uInt before = z.avail_out;
        result = inflate(&z, Z_NO_FLUSH);
        produced += before - z.avail_out;
        if (result == Z_BUF_ERROR || (result == Z_OK && z.avail_in == 0 && size - consumed <= kPiece &&
                                      before == z.avail_out))
            break; // input ended before the stream did: a short strip
    }
    inflateEnd(&z);
    if (result == Z_DATA_ERROR || result == Z_NEED_DICT)
        throw Exception("zlib uncompress Z_DATA_ERROR");
    if (result == Z_MEM_ERROR)
        throw Exception("zlib uncompress Z_MEM_ERROR");
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
        throw Exception("zlib uncompress unknown error");
    return produced;
}

} // namespace Brintavolex::TIF
