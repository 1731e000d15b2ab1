#pragma once

#include "Data/api/ColorType.h"
#include "JPG/src/JPGEntropy.h"
#include "JPG/src/JPGStructure.h"
#include "JPG/src/JPGTransform.h"

#include <cstdint>
#include <vector>


namespace Brintavolex::JPG {

enum class ColorModel { Grey, YCbCr, RGB, CMYK, YCCK };

// How the components are to be read: Adobe's transform when present, else
// JFIF's YCbCr, else component identifiers 'R', 'G', 'B' for RGB. Throws
// for component counts and RGB sampling the conversion cannot serve.
ColorModel ChooseColorModel(const Structure &structure);

using Pixel = Data::ColorBGRA<std::uint8_t>;

// Transforms, upsamples (by repeating samples) and converts MCU rows of
// the coefficient planes into BGRA rows. Workers render different bands at
// once, each with the scratch buffers of its worker number.
class BandRenderer {
public:
    BandRenderer(const Frame &frame, ColorModel model, const Tables &tables, InverseTransform transform);
    void Render(std::vector<CoefficientPlane> &planes, std::uint32_t firstMcuRow, std::uint32_t endMcuRow,
                Pixel *output, std::uint64_t stride, unsigned worker) const;

private:
    const Frame &_frame;
    ColorModel _model;
    InverseTransform _transform;
    std::vector<std::vector<std::int32_t>> _quantization; // natural order, per component
    std::vector<std::vector<std::uint32_t>> _columns;     // output x -> sample column, per component
    std::vector<unsigned> _ratios;                        // output columns per sample, 0 when not whole
    // Sample rows and expanded rows, kept from band to band.
    struct Scratch {
        std::vector<std::uint8_t> samples[kMaxComponents];
        std::vector<std::uint8_t> expanded;
    };
    mutable std::vector<Scratch> _scratch;
};

// Converts one row of full-width samples (one pointer per component) into
// BGRA.
void ConvertRow(ColorModel model, const std::uint8_t *const *rows, std::uint32_t width, Pixel *out);

// Repeats the samples of a subsampled row up to the output's width: column
// x takes sample columns[x]; ratio (output per sample, 0 when not whole)
// takes the fast path.
void ExpandRow(const std::uint8_t *samples, const std::uint32_t *columns, unsigned ratio, std::uint32_t width,
               std::uint8_t *out);

} // namespace Brintavolex::JPG
