#include "JPG/src/JPGRender.h"

#include "JPG/src/JPGShuffle.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <string>

namespace Brintavolex::JPG {

namespace {

inline std::uint8_t Clamp(int v) noexcept { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// YCbCr to RGB in 16-bit fixed point: plain arithmetic, so that the
// compiler turns whole rows into vector code.
constexpr int kCrToR = 91881, kCbToG = -22554, kCrToG = -46802, kCbToB = 116130, kHalf = 32768;

inline void YCbCrToRGB(int y, int cb, int cr, int &r, int &g, int &b) noexcept
{
    cb -= 128;
    cr -= 128;
    r = y + ((kCrToR * cr + kHalf) >> 16);
    g = y + ((kCbToG * cb + kCrToG * cr + kHalf) >> 16);
    b = y + ((kCbToB * cb + kHalf) >> 16);
}

typedef std::int32_t Ints __attribute__((vector_size(32)));
typedef std::uint8_t Bytes __attribute__((vector_size(8)));

// Eight pixels at a time, then the rest one by one.
// Half: the chroma rows hold one sample per two pixels (read at x / 2).
template <bool Half>
__attribute__((always_inline)) inline void YCbCrRowsT(const std::uint8_t *y, const std::uint8_t *cb,
                                                     const std::uint8_t *cr, std::uint32_t width, Pixel *out)
{
    std::uint32_t x = 0;
    const Ints zero = {}, full = zero + 255;
    typedef std::uint8_t Bytes4 __attribute__((vector_size(4)));
    for (; x + 8 <= width; x += 8) {
        Bytes yb, cbb, crb;
        std::memcpy(&yb, y + x, 8);
        if constexpr (Half) {
            // Four chroma samples serve eight pixels; the row holds at least
            // (width + 1) / 2 samples, so the 4 read here lie inside it.
            Bytes4 cb4, cr4;
            std::memcpy(&cb4, cb + x / 2, 4);
            std::memcpy(&cr4, cr + x / 2, 4);
            std::uint64_t cbBits = 0, crBits = 0;
            std::memcpy(&cbBits, &cb4, 4);
            std::memcpy(&crBits, &cr4, 4);
            std::memcpy(&cbb, &cbBits, 8);
            std::memcpy(&crb, &crBits, 8);
            cbb = BRINTAVOLEX_SHUFFLE1(Bytes, cbb, 0, 0, 1, 1, 2, 2, 3, 3);
            crb = BRINTAVOLEX_SHUFFLE1(Bytes, crb, 0, 0, 1, 1, 2, 2, 3, 3);
        } else {
            std::memcpy(&cbb, cb + x, 8);
            std::memcpy(&crb, cr + x, 8);
        }
        const Ints yi = __builtin_convertvector(yb, Ints);
        const Ints cbi = __builtin_convertvector(cbb, Ints) - 128, cri = __builtin_convertvector(crb, Ints) - 128;
        Ints r = yi + ((kCrToR * cri + kHalf) >> 16);
        Ints g = yi + ((kCbToG * cbi + kCrToG * cri + kHalf) >> 16);
        Ints b = yi + ((kCbToB * cbi + kHalf) >> 16);
        r = r < zero ? zero : r > full ? full : r;
        g = g < zero ? zero : g > full ? full : g;
        b = b < zero ? zero : b > full ? full : b;
        const Ints bgra = b | (g << 8) | (r << 16) | std::int32_t(0xFF000000u);
        std::memcpy(out + x, &bgra, sizeof bgra);
    }
    for (; x < width; ++x) {
        int r, g, b;
        const std::uint32_t c = Half ? x / 2 : x;
        YCbCrToRGB(y[x], cb[c], cr[c], r, g, b);
        out[x] = Pixel{Clamp(b), Clamp(g), Clamp(r), 255};
    }
}

using YCbCrRowsFunction = void (*)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *, std::uint32_t,
                                   Pixel *);

// (a x factor.low + b x factor.high + add) >> 16 in 16-bit lanes. Unpacking
// takes pixels 0-3 and 8-11 (low) and 4-7 and 12-15 (high); packing the two
// restores the order.
__attribute__((target("avx2"))) inline __m256i PairSum(__m256i a, __m256i b, __m256i factors, __m256i add)
{
    const __m256i low = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors), add), 16);
    const __m256i high = _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors), add), 16);
    return _mm256_packs_epi32(low, high);
}

// Sixteen pixels at a time in 16-bit lanes, the same fixed-point sums as
// YCbCrToRGB: each constant is split into a multiple of 65536 (a plain add)
// and a 16-bit part that pmaddwd multiplies, with the rounding term as the
// second factor of the pair.
template <bool Half>
__attribute__((target("avx2"), always_inline)) inline void YCbCrRowsAVX2T(const std::uint8_t *y, const std::uint8_t *cb,
                                                                          const std::uint8_t *cr, std::uint32_t width,
                                                                          Pixel *out)
{
    constexpr int kCrToRLow = kCrToR - 65536, kCrToGLow = kCrToG + 65536, kCbToBLow = kCbToB - 2 * 65536;
    const __m256i offset = _mm256_set1_epi16(128), two = _mm256_set1_epi16(2), opaque = _mm256_set1_epi8(-1);
    const __m256i rFactors = _mm256_set1_epi32((kHalf / 2) << 16 | std::uint16_t(kCrToRLow));
    const __m256i bFactors = _mm256_set1_epi32((kHalf / 2) << 16 | std::uint16_t(kCbToBLow));
    const __m256i gFactors = _mm256_set1_epi32(std::uint32_t(std::uint16_t(kCrToGLow)) << 16 | std::uint16_t(kCbToG));
    const __m256i half = _mm256_set1_epi32(kHalf);
    std::uint32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i cb8, cr8;
        if constexpr (Half) {
            cb8 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(cb + x / 2));
            cr8 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(cr + x / 2));
            cb8 = _mm_unpacklo_epi8(cb8, cb8);
            cr8 = _mm_unpacklo_epi8(cr8, cr8);
        } else {
            cb8 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + x));
            cr8 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + x));
        }
        const __m256i luma = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x)));
        const __m256i blue = _mm256_sub_epi16(_mm256_cvtepu8_epi16(cb8), offset);
        const __m256i red = _mm256_sub_epi16(_mm256_cvtepu8_epi16(cr8), offset);
        const __m256i zero = _mm256_setzero_si256();
        const __m256i r = _mm256_add_epi16(_mm256_add_epi16(luma, red), PairSum(red, two, rFactors, zero));
        const __m256i g = _mm256_sub_epi16(_mm256_add_epi16(luma, PairSum(blue, red, gFactors, half)), red);
        const __m256i b = _mm256_add_epi16(_mm256_add_epi16(luma, _mm256_add_epi16(blue, blue)), PairSum(blue, two, bFactors, zero));
        const __m256i b8 = _mm256_packus_epi16(b, b), g8 = _mm256_packus_epi16(g, g), r8 = _mm256_packus_epi16(r, r);
        const __m256i bg = _mm256_unpacklo_epi8(b8, g8), ra = _mm256_unpacklo_epi8(r8, opaque);
        const __m256i low = _mm256_unpacklo_epi16(bg, ra), high = _mm256_unpackhi_epi16(bg, ra);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x + 8), _mm256_permute2x128_si256(low, high, 0x31));
    }
    for (; x < width; ++x) {
        int r, g, b;
        const std::uint32_t c = Half ? x / 2 : x;
        YCbCrToRGB(y[x], cb[c], cr[c], r, g, b);
        out[x] = Pixel{Clamp(b), Clamp(g), Clamp(r), 255};
    }
}

__attribute__((target("avx2"))) void YCbCrRowsAVX2(const std::uint8_t *y, const std::uint8_t *cb,
                                                   const std::uint8_t *cr, std::uint32_t width, Pixel *out)
{
    YCbCrRowsAVX2T<false>(y, cb, cr, width, out);
}
__attribute__((target("avx2"))) void YCbCrHalfRowsAVX2(const std::uint8_t *y, const std::uint8_t *cb,
                                                       const std::uint8_t *cr, std::uint32_t width, Pixel *out)
{
    YCbCrRowsAVX2T<true>(y, cb, cr, width, out);
}
void YCbCrRowsSSE2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint32_t width,
                   Pixel *out)
{
    YCbCrRowsT<false>(y, cb, cr, width, out);
}
void YCbCrHalfRowsSSE2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint32_t width,
                       Pixel *out)
{
    YCbCrRowsT<true>(y, cb, cr, width, out);
}

bool HasAVX2()
{
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
}

YCbCrRowsFunction YCbCrRows(bool half = false)
{
    if (HasAVX2())
        return half ? YCbCrHalfRowsAVX2 : YCbCrRowsAVX2;
    return half ? YCbCrHalfRowsSSE2 : YCbCrRowsSSE2;
}

// round(a * b / 255) for 0..255.
inline std::uint8_t Multiply(int a, int b) noexcept { return std::uint8_t((a * b + 127) / 255); }

} // namespace

ColorModel ChooseColorModel(const Structure &structure)
{
    const Frame &frame = structure.frame;
    switch (frame.components.size()) {
    case 1: return ColorModel::Grey;
    case 3: {
        bool rgb = structure.adobe == AdobeTransform::RGBOrCMYK;
        if (structure.adobe == AdobeTransform::None && !structure.jfif)
            rgb = frame.components[0].id == 'R' && frame.components[1].id == 'G' && frame.components[2].id == 'B';
        if (!rgb)
            return ColorModel::YCbCr;
        for (unsigned i = 0; i < 3; ++i)
            if (frame.components[i].h != 1 || frame.components[i].v != 1)
                throw Exception(("component " + std::to_string(i + 1) + " sampling factors must be 1").c_str());
        return ColorModel::RGB;
    }
    case 4: return structure.adobe == AdobeTransform::YCCK ? ColorModel::YCCK : ColorModel::CMYK;
    default: throw Exception("invalid number of image components");
    }
}

void ExpandRow(const std::uint8_t *samples, const std::uint32_t *columns, unsigned ratio, std::uint32_t width,
               std::uint8_t *out)
{
    if (ratio == 2) {
        for (std::uint32_t x = 0; x + 1 < width; x += 2)
            out[x] = out[x + 1] = samples[x >> 1];
        if (width & 1)
            out[width - 1] = samples[(width - 1) >> 1];
    } else {
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = samples[columns[x]];
    }
}

void ConvertRow(ColorModel model, const std::uint8_t *const *rows, std::uint32_t width, Pixel *out)
{
    const std::uint8_t *c0 = rows[0], *c1 = rows[1], *c2 = rows[2], *c3 = rows[3];
    switch (model) {
    case ColorModel::Grey:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = Pixel{c0[x], c0[x], c0[x], 255};
        break;
    case ColorModel::YCbCr:
        YCbCrRows()(c0, c1, c2, width, out);
        break;
    case ColorModel::RGB:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = Pixel{c2[x], c1[x], c0[x], 255};
        break;
    case ColorModel::CMYK:
        // Adobe stores the inks inverted: 255 is no ink.
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = Pixel{Multiply(c2[x], c3[x]), Multiply(c1[x], c3[x]), Multiply(c0[x], c3[x]), 255};
        break;
    case ColorModel::YCCK:
        for (std::uint32_t x = 0; x < width; ++x) {
            int r, g, b;
            YCbCrToRGB(c0[x], c1[x], c2[x], r, g, b);
            const int k = c3[x];
            out[x] = Pixel{std::uint8_t(k - Multiply(Clamp(b), k)), std::uint8_t(k - Multiply(Clamp(g), k)),
                           std::uint8_t(k - Multiply(Clamp(r), k)), 255};
        }
        break;
    }
}

BandRenderer::BandRenderer(const Frame &frame, ColorModel model, const Tables &tables, InverseTransform transform)
    : _frame(frame), _model(model), _transform(transform)
{
    for (const Component &c : frame.components) {
        std::vector<std::int32_t> natural(kBlockSamples);
        for (unsigned k = 0; k < kBlockSamples; ++k)
            natural[kZigZag[k]] = tables.quantization[c.tq].values[k];
        _quantization.push_back(std::move(natural));
        std::vector<std::uint32_t> columns(frame.width);
        for (std::uint32_t x = 0; x < frame.width; ++x)
            columns[x] = std::uint32_t(std::uint64_t(x) * c.h / frame.hMax);
        _columns.push_back(std::move(columns));
        _ratios.push_back(frame.hMax % c.h == 0 ? frame.hMax / c.h : 0);
    }
    _scratch.resize(8); // the most workers a parallel loop runs
}

void BandRenderer::Render(std::vector<CoefficientPlane> &planes, std::uint32_t firstMcuRow, std::uint32_t endMcuRow,
                          Pixel *output, std::uint64_t stride, unsigned worker) const
{
    const std::size_t count = _frame.components.size();
    Scratch &scratch = _scratch.at(worker);
    std::vector<std::uint8_t> *samples = scratch.samples;
    std::vector<std::size_t> widths(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Component &c = _frame.components[i];
        const std::size_t width = std::size_t(c.blocksWide) * kBlockSize;
        const std::uint32_t firstBlockRow = firstMcuRow * c.v, endBlockRow = endMcuRow * c.v;
        // Only blocks that hold samples of the picture are transformed.
        const std::uint32_t usedWide = (c.width + kBlockSize - 1) / kBlockSize;
        const std::uint32_t usedHigh = std::min(endBlockRow, (c.height + kBlockSize - 1) / kBlockSize);
        widths[i] = width;
        samples[i].resize(width * (endBlockRow - firstBlockRow) * kBlockSize);
        for (std::uint32_t by = firstBlockRow; by < usedHigh; ++by)
            for (std::uint32_t bx = 0; bx < usedWide; ++bx) {
                std::int16_t *block = planes[i].Block(bx, by);
                _transform(block, _quantization[i].data(),
                           &samples[i][(by - firstBlockRow) * kBlockSize * width + bx * kBlockSize], width);
                // Cleared while in the cache: a streaming band is used again.
                std::memset(block, 0, kBlockSamples * sizeof *block);
            }
    }
    const std::uint32_t firstRow = firstMcuRow * _frame.vMax * kBlockSize;
    const std::uint32_t endRow = std::min<std::uint32_t>(endMcuRow * _frame.vMax * kBlockSize, _frame.height);
    const std::uint8_t *rows[kMaxComponents] = {};
    std::vector<std::uint8_t> &expanded = scratch.expanded;
    expanded.resize(std::size_t(_frame.width) * count);
    // 4:2:0 and 4:2:2 read the chroma rows at half width directly.
    const bool halfChroma = _model == ColorModel::YCbCr && _ratios[0] == 1 && _ratios[1] == 2 && _ratios[2] == 2;
    for (std::uint32_t y = firstRow; y < endRow; ++y) {
        if (halfChroma) {
            const std::uint8_t *planesRows[3];
            for (std::size_t i = 0; i < 3; ++i) {
                const Component &c = _frame.components[i];
                const std::uint32_t sampleRow = std::uint32_t(std::uint64_t(y) * c.v / _frame.vMax) - firstMcuRow * c.v * kBlockSize;
                planesRows[i] = &samples[i][sampleRow * widths[i]];
            }
            YCbCrRows(true)(planesRows[0], planesRows[1], planesRows[2], _frame.width, output + std::uint64_t(y) * stride);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const Component &c = _frame.components[i];
            const std::uint32_t sampleRow = std::uint32_t(std::uint64_t(y) * c.v / _frame.vMax) - firstMcuRow * c.v * kBlockSize;
            rows[i] = &samples[i][sampleRow * widths[i]];
            if (_ratios[i] != 1) {
                std::uint8_t *full = &expanded[i * std::size_t(_frame.width)];
                ExpandRow(rows[i], _columns[i].data(), _ratios[i], _frame.width, full);
                rows[i] = full;
            }
        }
        ConvertRow(_model, rows, _frame.width, output + std::uint64_t(y) * stride);
    }
}

} // namespace Brintavolex::JPG
