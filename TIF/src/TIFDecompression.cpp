#include "TIF/src/TIFDecompression.h"

#include "Root/api/Exception.h"

#include <zlib.h>

#include <algorithm>
#include <array>
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

// Every byte value, and eight more for copies of eight bytes at a time.
constexpr std::array<std::uint8_t, 256 + 8> kBytes = [] {
    std::array<std::uint8_t, 256 + 8> bytes{};
    for (unsigned i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i);
    return bytes;
}();

// Copies length bytes from `from` to out + to, cut at expected. A string of
// earlier output ends at or before out + to, so copies of eight bytes at a
// time reproduce it; what they write past its end is overwritten later.
inline void CopyString(const std::uint8_t *from, std::uint8_t *out, std::size_t to, std::size_t length,
                       std::size_t expected)
{
    if (expected - to >= length + 7) {
        for (std::size_t k = 0; k < length; k += 8)
            std::memcpy(out + to + k, from + k, 8);
    } else {
        std::memcpy(out + to, from, std::min(length, expected - to));
    }
}

} // namespace

std::size_t DecodeLZW(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected)
{
    // Every string of the table lies somewhere already: a single byte in
    // kBytes, a longer one (the previous code's string and the next byte)
    // in out, where those two were written one after the other. So a code
    // keeps where its string is and how long.
    const std::uint8_t *stringAt[kTableSize];
    std::uint16_t stringLength[kTableSize];
    for (unsigned c = 0; c < 256; ++c) {
        stringAt[c] = &kBytes[c];
        stringLength[c] = 1;
    }
    unsigned next = kFirstCode, width = 9;
    std::uint64_t bits = 0;
    unsigned held = 0;
    std::size_t i = 0;
    // The next code, or kEndOfInformation where the data ends.
    auto read = [&] {
        if (held < width) {
            while (held <= 56 && i < size) {
                bits = bits << 8 | in[i++];
                held += 8;
            }
            if (held < width)
                return kEndOfInformation;
        }
        held -= width;
        return unsigned(bits >> held) & ((1u << width) - 1);
    };
    bool cleared = true; // the data starts as after a clear
    std::size_t o = 0, previousAt = 0, previousLength = 0;
    while (o < expected) {
        const unsigned code = read();
        if (code == kEndOfInformation)
            break;
        if (code == kClearCode) {
            next = kFirstCode;
            width = 9;
            cleared = true;
            continue;
        }
        if (cleared) {
            // The first code after a clear is a single byte, and adds no string.
            if (code > 255)
                break;
            out[o] = std::uint8_t(code);
            previousAt = o++;
            previousLength = 1;
            cleared = false;
            continue;
        }
        std::size_t length;
        if (code < next) {
            length = stringLength[code];
            CopyString(stringAt[code], out, o, length, expected);
        } else if (code == next) {
            // Not in the table yet: the previous string and its own first byte.
            length = previousLength + 1;
            CopyString(out + previousAt, out, o, previousLength, expected);
            if (o + previousLength < expected)
                out[o + previousLength] = out[previousAt];
        } else {
            break; // a code no table can hold yet: damaged data
        }
        if (next < kTableSize) {
            stringAt[next] = out + previousAt;
            stringLength[next] = std::uint16_t(previousLength + 1);
            ++next;
        }
        previousAt = o;
        previousLength = length;
        o = std::min(o + length, expected);
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
