#include "TIF/src/TIFPredictor.h"

#include "Root/api/Exception.h"

#include <cstring>

namespace Brintavolex::TIF {

namespace {

template <class T> T Load(const std::uint8_t *p, bool bigEndian)
{
    T v = 0;
    for (unsigned i = 0; i < sizeof(T); ++i)
        v = T(v | T(p[bigEndian ? i : sizeof(T) - 1 - i]) << (8 * (sizeof(T) - 1 - i)));
    return v;
}

template <class T> void Store(std::uint8_t *p, T v, bool bigEndian)
{
    for (unsigned i = 0; i < sizeof(T); ++i)
        p[bigEndian ? i : sizeof(T) - 1 - i] = std::uint8_t(v >> (8 * (sizeof(T) - 1 - i)));
}

template <class T>
void Undo(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width, unsigned spp,
          bool bigEndian)
{
    const std::size_t samples = std::size_t(width) * spp;
    for (std::size_t r = 0; r < rowCount; ++r) {
        std::uint8_t *row = rows + r * rowBytes;
        for (std::size_t i = spp; i < samples; ++i) {
            // Unsigned sums wrap modulo the sample's width, as the encoder's
            // differences do.
            const T sum = T(Load<T>(row + i * sizeof(T), bigEndian) + Load<T>(row + (i - spp) * sizeof(T), bigEndian));
            Store<T>(row + i * sizeof(T), sum, bigEndian);
        }
    }
}

} // namespace

void UndoHorizontalDifferencing(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width,
                                unsigned samplesPerPixel, unsigned bitsPerSample, bool bigEndian)
{
    if (samplesPerPixel == 0 || std::size_t(width) * samplesPerPixel * (bitsPerSample / 8) > rowBytes)
        throw Exception("Predictor 2: the rows are shorter than width x SamplesPerPixel samples");
    switch (bitsPerSample) {
    case 8: Undo<std::uint8_t>(rows, rowCount, rowBytes, width, samplesPerPixel, bigEndian); break;
    case 16: Undo<std::uint16_t>(rows, rowCount, rowBytes, width, samplesPerPixel, bigEndian); break;
    case 32: Undo<std::uint32_t>(rows, rowCount, rowBytes, width, samplesPerPixel, bigEndian); break;
    case 64: Undo<std::uint64_t>(rows, rowCount, rowBytes, width, samplesPerPixel, bigEndian); break;
    default: throw Exception("Predictor 2 is supported with 8, 16, 32 or 64 bits per sample");
    }
}

} // namespace Brintavolex::TIF
