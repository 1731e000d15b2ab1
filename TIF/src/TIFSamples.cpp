#include "TIF/src/TIFSamples.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <type_traits>

#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

namespace Brintavolex::TIF {

namespace {

using Data::ColorBGRA;

// Pixels converted per pass through a row: small enough for the stack.
constexpr std::uint32_t kBlockPixels = 256;

template <class C> constexpr C FullValue()
{
    if constexpr (std::is_floating_point_v<C>)
        return C(1);
    else
        return std::numeric_limits<C>::max();
}

std::uint64_t ReadBytes(const std::uint8_t *p, unsigned bytes, bool bigEndian)
{
    std::uint64_t v = 0;
    for (unsigned i = 0; i < bytes; ++i)
        v |= std::uint64_t(p[i]) << (8 * (bigEndian ? bytes - 1 - i : i));
    return v;
}

// How the samples of a pixel make its colour.
enum class Assembly { Grey, GreyAlpha, RGB, RGBA, CMYK, Palette };

struct Format {
    unsigned samples; // in the chunk's pixels
    unsigned bits;
    bool bigEndian, isFloat, minIsWhite, alpha;
    Assembly assembly;
};

Format FormatOf(const ImageLayout &l, ChunkSamples mode)
{
    if (mode == ChunkSamples::Interleaved) {
        const bool grey = l.samples == 1;
        return {grey ? 1u : 3u, 8, false, false, false, false, grey ? Assembly::Grey : Assembly::RGB};
    }
    Format f{l.SamplesPerChunkPixel(), l.bits, l.bigEndian, l.sampleFormat == kSampleFormatFloat,
             l.photometric == Photometric::MinIsWhite, l.alpha, Assembly::Grey};
    if (l.photometric == Photometric::Palette)
        f.assembly = Assembly::Palette;
    else if (l.photometric == Photometric::Separated)
        f.assembly = Assembly::CMYK;
    else if (l.samples == 2)
        f.assembly = Assembly::GreyAlpha;
    else if (l.samples == 3)
        f.assembly = Assembly::RGB;
    else if (l.samples == 4)
        f.assembly = Assembly::RGBA;
    return f;
}

// count samples from sample index first of a row into out, as C. Integer
// samples below 8 bits are stretched to the full 8-bit range (a 4-bit 15
// is white, not near black); palette indices are not.
template <class C>
void UnpackSamples(const std::uint8_t *row, std::uint64_t first, std::uint32_t count, const Format &f, bool stretch,
                   C *out)
{
    if constexpr (std::is_floating_point_v<C>) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t v = ReadBytes(row + (first + i) * (f.bits / 8), f.bits / 8, f.bigEndian);
            if (f.bits == 32) {
                float x;
                const std::uint32_t v32 = std::uint32_t(v);
                std::memcpy(&x, &v32, 4);
                out[i] = C(x);
            } else {
                double x;
                std::memcpy(&x, &v, 8);
                out[i] = C(x);
            }
        }
    } else if (f.bits == 8) {
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = C(row[first + i]);
    } else if (f.bits % 8 == 0) {
        const unsigned bytes = f.bits / 8;
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = C(ReadBytes(row + (first + i) * bytes, bytes, f.bigEndian));
    } else {
        // Other widths are a bit stream, most significant bit first.
        std::uint64_t bit = first * f.bits;
        const std::uint64_t mask = (std::uint64_t(1) << f.bits) - 1;
        for (std::uint32_t i = 0; i < count; ++i, bit += f.bits) {
            std::uint64_t v = 0;
            const std::uint64_t end = bit + f.bits;
            for (std::uint64_t byte = bit / 8; byte * 8 < end; ++byte)
                v = (v << 8) | row[byte];
            const std::uint64_t trailing = (8 - end % 8) % 8;
            out[i] = C((v >> trailing) & mask);
        }
        if (stretch && f.bits < 8)
            for (std::uint32_t i = 0; i < count; ++i)
                out[i] = C(out[i] * 255u / mask);
    }
}

template <class C> C Invert(C v, unsigned bits)
{
    if constexpr (std::is_floating_point_v<C>)
        return v;
    else
        return C((bits >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << std::min(bits, 63u)) - 1) - v);
}

std::uint8_t Clamp255(int v) { return std::uint8_t(std::clamp(v, 0, 255)); }

// 8-bit RGB to opaque BGRA, the most common layout of all.
void RgbToBgra(const std::uint8_t *s, std::uint32_t count, ColorBGRA<std::uint8_t> *out)
{
    std::uint32_t i = 0;
#if defined(__SSSE3__)
    // Four pixels from each 16 bytes read, of which 12 are theirs: while
    // 16 bytes lie in the row.
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i opaque = _mm_set1_epi32(std::int32_t(0xFF000000u));
    for (; i + 6 <= count; i += 4, s += 12) {
        const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_or_si128(_mm_shuffle_epi8(rgb, order), opaque));
    }
#endif
    for (; i < count; ++i, s += 3)
        out[i] = {s[2], s[1], s[0], 255};
}

// Pixels [first, first + count) of a chunk row into out, xStep pixels apart.
template <class P>
void StoreRow(const Format &f, const ImageLayout &l, unsigned plane, const std::uint8_t *row, std::uint64_t first,
              std::uint32_t count, P *out, std::int64_t xStep)
{
    constexpr bool kBGRA = Data::IsBGRA<P>::value;
    using C = typename Data::ChannelOf<P>::type;
    // Common layouts, straight through.
    if constexpr (std::is_arithmetic_v<P>) {
        const bool nativeOrder = sizeof(P) == 1 || f.bigEndian == (std::endian::native == std::endian::big);
        if (f.bits == 8 * sizeof(P) && nativeOrder && !f.minIsWhite && xStep == 1) {
            std::memcpy(out, row + first * sizeof(P), count * sizeof(P));
            return;
        }
    }
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        if (f.bits == 8 && xStep == 1 && f.assembly == Assembly::RGB && f.samples == 3) {
            RgbToBgra(row + first * 3, count, out);
            return;
        }
        if (f.bits == 8 && xStep == 1 && (f.assembly == Assembly::RGB || f.assembly == Assembly::RGBA) &&
            f.samples >= 3) {
            const std::uint8_t *s = row + first * f.samples;
            const bool alpha = f.assembly == Assembly::RGBA;
            for (std::uint32_t i = 0; i < count; ++i, s += f.samples)
                out[i] = {s[2], s[1], s[0], alpha ? s[3] : std::uint8_t(255)};
            return;
        }
    }
    C samples[kBlockPixels * 4];
    const bool stretch = f.assembly != Assembly::Palette;
    for (std::uint32_t done = 0; done < count; done += kBlockPixels) {
        const std::uint32_t n = std::min(kBlockPixels, count - done);
        UnpackSamples<C>(row, (first + done) * f.samples, n * f.samples, f, stretch, samples);
        P *o = out + std::int64_t(done) * xStep;
        for (std::uint32_t i = 0; i < n; ++i, o += xStep) {
            const C *s = samples + i * f.samples;
            if constexpr (!kBGRA) {
                *o = f.minIsWhite ? Invert<C>(s[0], f.bits < 8 ? 8 : f.bits) : s[0];
            } else if (f.assembly == Assembly::Palette) {
                const std::size_t entries = l.colorMap.size() / 3;
                const std::size_t index = std::size_t(s[0]);
                *o = {C(l.colorMap[2 * entries + index]), C(l.colorMap[entries + index]), C(l.colorMap[index]),
                      FullValue<C>()};
            } else if (f.samples == 1) { // one plane of a planar image
                C v = s[0];
                if (plane == 0 && f.minIsWhite)
                    v = Invert<C>(v, f.bits < 8 ? 8 : f.bits);
                const bool greyPlane = plane == 0 && (f.assembly == Assembly::GreyAlpha || f.assembly == Assembly::Grey);
                if (greyPlane)
                    o->b = o->g = o->r = v;
                else if (plane == 0)
                    o->r = v;
                else if (plane == 1 && f.assembly == Assembly::GreyAlpha)
                    o->a = v;
                else if (plane == 1)
                    o->g = v;
                else if (plane == 2)
                    o->b = v;
                else if (plane == 3)
                    o->a = v;
                if (plane == 0 && !f.alpha)
                    o->a = FullValue<C>();
            } else if (f.assembly == Assembly::GreyAlpha || f.assembly == Assembly::Grey) {
                const C v = f.minIsWhite ? Invert<C>(s[0], f.bits < 8 ? 8 : f.bits) : s[0];
                *o = {v, v, v, f.samples > 1 ? s[1] : FullValue<C>()};
            } else if (f.assembly == Assembly::CMYK) {
                if constexpr (std::is_same_v<C, std::uint8_t>) {
                    const int k = 255 - s[3];
                    *o = {Clamp255(((255 - s[2]) * k + 127) / 255), Clamp255(((255 - s[1]) * k + 127) / 255),
                          Clamp255(((255 - s[0]) * k + 127) / 255), 255};
                }
            } else {
                *o = {s[2], s[1], s[0], f.assembly == Assembly::RGBA ? s[3] : FullValue<C>()};
            }
        }
    }
}

} // namespace

bool Destination::Meets(const ImageLayout::Place &p, const ImageLayout &l) const noexcept
{
    if (l.tiled)
        return p.x < x1 && p.x + std::uint64_t(l.chunkWidth) > x0 && p.y < y1 &&
               p.y + std::uint64_t(l.chunkHeight) > y0 && p.z < z1 && p.z + std::uint64_t(l.chunkDepth) > z0;
    // A strip's rows lie in one slice (RowsPerStrip divides a volume's slices).
    return p.z >= z0 && p.z < z1 && p.y < y1 && p.y + std::uint64_t(l.chunkHeight) > y0;
}

void StoreChunk(const ImageLayout &l, std::uint64_t chunk, const std::uint8_t *raw, std::uint64_t rowBytes,
                ChunkSamples samples, const Destination &d)
{
    const Format f = FormatOf(l, samples);
    const ImageLayout::Place p = l.ChunkPlace(chunk);
    const std::uint32_t rows = l.ChunkRows(chunk);
    const std::uint64_t xBegin = std::max<std::uint64_t>(p.x, d.x0);
    const std::uint64_t xEnd = std::min<std::uint64_t>({std::uint64_t(p.x) + l.chunkWidth, l.width, d.x1});
    if (xBegin >= xEnd)
        return;
    const bool done = Data::DispatchColorType(l.colorType, [&](auto tag) {
        using P = typename decltype(tag)::type;
        for (std::uint32_t dz = 0; dz < l.chunkDepth; ++dz) {
            const std::uint64_t z = std::uint64_t(p.z) + dz;
            if (z < d.z0 || z >= d.z1 || z >= l.depth)
                continue;
            for (std::uint32_t r = 0; r < rows; ++r) {
                const std::uint64_t y = std::uint64_t(p.y) + r;
                if (y < d.y0 || y >= d.y1 || y >= l.height)
                    continue;
                const std::uint8_t *row = raw + (std::uint64_t(dz) * rows + r) * rowBytes;
                const std::int64_t offset = std::int64_t(xBegin - d.x0) * d.xStep + std::int64_t(y - d.y0) * d.yStep +
                                            std::int64_t(z - d.z0) * d.zStep;
                StoreRow<P>(f, l, p.plane, row, xBegin - p.x, std::uint32_t(xEnd - xBegin),
                            reinterpret_cast<P *>(d.base) + offset, d.xStep);
            }
        }
    });
    if (!done)
        throw Exception("image color type not supported");
}

void ExpandYCbCrChunk(const ImageLayout &l, std::uint64_t chunk, const std::uint8_t *raw, std::vector<std::uint8_t> &rgb)
{
    const unsigned h = l.ycbcrH, v = l.ycbcrV, unitBytes = h * v + 2;
    const std::uint32_t rows = l.ChunkRows(chunk), width = l.chunkWidth;
    const std::uint64_t unitsAcross = (width + h - 1) / h;
    rgb.resize(std::size_t(rows) * width * 3);
    for (std::uint32_t y = 0; y < rows; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t *unit = raw + ((y / v) * unitsAcross + x / h) * unitBytes;
            const int luma = unit[(y % v) * h + x % h];
            const int cb = unit[h * v] - 128, cr = unit[h * v + 1] - 128;
            // ITU-R BT.601 in 16.16 fixed point, as TIFF's default YCbCrCoefficients.
            std::uint8_t *o = &rgb[(std::size_t(y) * width + x) * 3];
            o[0] = Clamp255(luma + ((91881 * cr + 32768) >> 16));
            o[1] = Clamp255(luma - ((22554 * cb + 46802 * cr - 32768) >> 16));
            o[2] = Clamp255(luma + ((116130 * cb + 32768) >> 16));
        }
}

} // namespace Brintavolex::TIF
