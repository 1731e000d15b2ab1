#include "TIF/src/TIFPredictor.h"

#include "Root/api/Exception.h"

#include <cstring>

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

// One row of N samples per pixel (N = 0: spp). The running sums stay in
// registers for the common counts, rather than being read back from the row.
template <class T, bool BigEndian, unsigned N>
void UndoRow(std::uint8_t *row, std::uint32_t width, unsigned spp)
{
    constexpr unsigned kMaxSums = 4;
    const unsigned n = N ? N : spp;
    if (N == 0 && n > kMaxSums) {
        const std::size_t samples = std::size_t(width) * n;
        for (std::size_t i = n; i < samples; ++i)
            Store<T, BigEndian>(row + i * sizeof(T),
                                T(Load<T, BigEndian>(row + i * sizeof(T)) + Load<T, BigEndian>(row + (i - n) * sizeof(T))));
        return;
    }
    T sums[kMaxSums];
    for (unsigned c = 0; c < n; ++c)
        sums[c] = Load<T, BigEndian>(row + c * sizeof(T));
    for (std::uint32_t x = 1; x < width; ++x)
        for (unsigned c = 0; c < n; ++c) {
            // Unsigned sums wrap modulo the sample's width, as the encoder's
            // differences do.
            std::uint8_t *p = row + (std::size_t(x) * n + c) * sizeof(T);
            sums[c] = T(sums[c] + Load<T, BigEndian>(p));
            Store<T, BigEndian>(p, sums[c]);
        }
}

template <class T, bool BigEndian>
void Undo(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width, unsigned spp)
{
    if (width == 0)
        return; // no first pixel to start the sums from
    for (std::size_t r = 0; r < rowCount; ++r) {
        std::uint8_t *row = rows + r * rowBytes;
        switch (spp) {
        case 1: UndoRow<T, BigEndian, 1>(row, width, spp); break;
        case 3: UndoRow<T, BigEndian, 3>(row, width, spp); break;
        case 4: UndoRow<T, BigEndian, 4>(row, width, spp); break;
        default: UndoRow<T, BigEndian, 0>(row, width, spp); break;
        }
    }
}

template <class T>
void Undo(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width, unsigned spp,
          bool bigEndian)
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
