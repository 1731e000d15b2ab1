#include "JPG/src/JPGRender.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Brintavolex::JPG {

namespace {

// YCbCr to RGB as lookup tables of the rounded products.
struct ColorTables {
    int crToR[256], cbToB[256], crToG[256], cbToG[256];
    ColorTables()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i - 128;
            crToR[i] = int(std::lround(1.402 * c));
            cbToB[i] = int(std::lround(1.772 * c));
            // G in 16-bit fixed point, rounded once for both terms.
            crToG[i] = int(std::lround(-0.714136 * c * 65536));
            cbToG[i] = int(std::lround(-0.344136 * c * 65536)) + 32768;
        }
    }
};
const ColorTables kTables;

inline std::uint8_t Clamp(int v) noexcept { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

inline void YCbCrToRGB(int y, int cb, int cr, int &r, int &g, int &b) noexcept
{
    r = y + kTables.crToR[cr];
    g = y + ((kTables.cbToG[cb] + kTables.crToG[cr]) >> 16);
    b = y + kTables.cbToB[cb];
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

void ConvertRow(ColorModel model, const std::uint8_t *const *rows, const std::uint32_t *const *columns,
                std::uint32_t width, Pixel *out)
{
    auto at = [&](unsigned c, std::uint32_t x) { return int(rows[c][columns[c][x]]); };
    switch (model) {
    case ColorModel::Grey:
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto v = std::uint8_t(at(0, x));
            out[x] = Pixel{v, v, v, 255};
        }
        break;
    case ColorModel::YCbCr:
        for (std::uint32_t x = 0; x < width; ++x) {
            int r, g, b;
            YCbCrToRGB(at(0, x), at(1, x), at(2, x), r, g, b);
            out[x] = Pixel{Clamp(b), Clamp(g), Clamp(r), 255};
        }
        break;
    case ColorModel::RGB:
        for (std::uint32_t x = 0; x < width; ++x)
            out[x] = Pixel{std::uint8_t(at(2, x)), std::uint8_t(at(1, x)), std::uint8_t(at(0, x)), 255};
        break;
    case ColorModel::CMYK:
        // Adobe stores the inks inverted: 255 is no ink.
        for (std::uint32_t x = 0; x < width; ++x) {
            const int k = at(3, x);
            out[x] = Pixel{Multiply(at(2, x), k), Multiply(at(1, x), k), Multiply(at(0, x), k), 255};
        }
        break;
    case ColorModel::YCCK:
        for (std::uint32_t x = 0; x < width; ++x) {
            int r, g, b;
            YCbCrToRGB(at(0, x), at(1, x), at(2, x), r, g, b);
            const int k = at(3, x);
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
    }
}

void BandRenderer::Render(std::vector<CoefficientPlane> &planes, std::uint32_t firstMcuRow, std::uint32_t endMcuRow,
                          Pixel *output, std::uint64_t stride) const
{
    const std::size_t count = _frame.components.size();
    std::vector<std::vector<std::uint8_t>> samples(count);
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
            for (std::uint32_t bx = 0; bx < usedWide; ++bx)
                _transform(planes[i].Block(bx, by), _quantization[i].data(),
                           &samples[i][(by - firstBlockRow) * kBlockSize * width + bx * kBlockSize], width);
    }
    const std::uint32_t firstRow = firstMcuRow * _frame.vMax * kBlockSize;
    const std::uint32_t endRow = std::min<std::uint32_t>(endMcuRow * _frame.vMax * kBlockSize, _frame.height);
    const std::uint8_t *rows[kMaxComponents];
    const std::uint32_t *columns[kMaxComponents];
    for (std::uint32_t y = firstRow; y < endRow; ++y) {
        for (std::size_t i = 0; i < count; ++i) {
            const Component &c = _frame.components[i];
            const std::uint32_t sampleRow = std::uint32_t(std::uint64_t(y) * c.v / _frame.vMax) - firstMcuRow * c.v * kBlockSize;
            rows[i] = &samples[i][sampleRow * widths[i]];
            columns[i] = _columns[i].data();
        }
        ConvertRow(_model, rows, columns, _frame.width, output + std::uint64_t(y) * stride);
    }
}

} // namespace Brintavolex::JPG
