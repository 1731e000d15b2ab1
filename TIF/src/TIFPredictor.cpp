#include "TIF/src/TIFPredictor.h"

#include "Root/api/Exception.h"

#include <cstring>
#include <utility>

namespace Brintavolex::TIF {

namespace {

template <class T, bool BigEndian> T Load(const std::uint8_t *p)
{
    T v = 0;
    for (unsigned i = 0; i < sizeof(T); ++i)
        v = T(v | T(p[BigEndian ? i : sizeof(T) - 1 - i]) << (8 * (sizeof(T) - 1 - i)));
    return v;
}

template <class T, bool BigEndian> void Store(std::uint8_t *p, T v)
{
    for (unsigned i = 0; i < sizeof(T); ++i)
        p[BigEndian ? i : sizeof(T) - 1 - i] = std::uint8_t(v >> (8 * (sizeof(T) - 1 - i)));
}

// One row of sizeof...(C) samples per pixel: the running sums stay in
// registers rather than being read back from the row.
template <class T, bool BigEndian, unsigned... C>
void UndoRow(std::uint8_t *row, std::uint32_t width, std::integer_sequence<unsigned, C...>)
{
    constexpr unsigned n = sizeof...(C);
    T sums[n] = {Load<T, BigEndian>(row + C * sizeof(T))...};
    for (std::uint32_t x = 1; x < width; ++x) {
        std::uint8_t *p = row + std::size_t(x) * n * sizeof(T);
        // Unsigned sums wrap modulo the sample's width, as the encoder's
        // differences do.
        ((sums[C] = T(sums[C] + Load<T, BigEndian>(p + C * sizeof(T))),
          Store<T, BigEndian>(p + C * sizeof(T), sums[C])),
         ...);
    }
}

// Any other count of samples per pixel.
template <class T, bool BigEndian> void UndoRow(std::uint8_t *row, std::uint32_t width, unsigned spp)
{
    const std::size_t samples = std::size_t(width) * spp;
    for (std::size_t i = spp; i < samples; ++i)
        Store<T, BigEndian>(row + i * sizeof(T), T(Load<T, BigEndian>(row + i * sizeof(T)) +
                                                   Load<T, BigEndian>(row + (i - spp) * sizeof(T))));
}

template <class T, bool BigEndian>
void Undo(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width, unsigned spp)
{
    if (width == 0)
        return; // no first pixel to start the sums from
    for (std::size_t r = 0; r < rowCount; ++r) {
        std::uint8_t *row = rows + r * rowBytes;
        switch (spp) {
        case 1: UndoRow<T, BigEndian>(row, width, std::make_integer_sequence<unsigned, 1>()); break;
        case 3: UndoRow<T, BigEndian>(row, width, std::make_integer_sequence<unsigned, 3>()); break;
        case 4: UndoRow<T, BigEndian>(row, width, std::make_integer_sequence<unsigned, 4>()); break;
        default: UndoRow<T, BigEndian>(row, width, spp); break;
        }
    }
}

template <class T> void Undo(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width,
                             unsigned spp, bool bigEndian)
{
    if (bigEndian && sizeof(T) > 1)
        Undo<T, true>(rows, rowCount, rowBytes, width, spp);
    else
        Undo<T, false>(rows, rowCount, rowBytes, width, spp);
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
