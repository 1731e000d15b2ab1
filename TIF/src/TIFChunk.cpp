#include "TIF/src/TIFChunk.h"

#include "Root/api/Exception.h"
#include "TIF/src/TIFDecompression.h"
#include "TIF/src/TIFFax.h"
#include "TIF/src/TIFPredictor.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Brintavolex::TIF {

namespace {

constexpr std::array<std::uint8_t, 256> kReversedBits = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = 0;
        for (unsigned b = 0; b < 8; ++b)
            r |= ((i >> b) & 1u) << (7 - b);
        table[i] = std::uint8_t(r);
    }
    return table;
}();

FaxOptions FaxOptionsOf(const ImageLayout &l)
{
    FaxOptions options;
    options.coding = l.compression == Compression::CCITTRLE    ? FaxCoding::ModifiedHuffman
                     : l.compression == Compression::CCITTFax3 ? FaxCoding::Group3
                                                               : FaxCoding::Group4;
    options.t4Options = l.faxOptions;
    return options;
}

} // namespace

DecompressedChunk DecompressChunk(const ImageLayout &l, std::uint64_t chunk, std::span<const std::uint8_t> stored,
                                  std::vector<std::uint8_t> &reversed, std::vector<std::uint8_t> &out)
{
    const std::uint64_t expected = l.ChunkBytes(chunk);
    if (l.fillOrder == 2) {
        reversed.resize(stored.size());
        for (std::size_t i = 0; i < stored.size(); ++i)
            reversed[i] = kReversedBits[stored[i]];
        stored = reversed;
    }
    const bool predicted = l.predictor == kPredictorHorizontal;
    if (l.compression == Compression::None && !predicted && stored.size() >= expected)
        return {stored.data(), expected};
    out.resize(std::size_t(expected));
    const std::uint8_t *in = stored.data();
    const std::size_t size = stored.size();
    std::uint64_t made = 0;
    switch (l.compression) {
    case Compression::None:
        made = std::min<std::uint64_t>(size, expected);
        if (made)
            std::memcpy(out.data(), in, std::size_t(made));
        break;
    case Compression::PackBits: made = UnpackBits(in, size, out.data(), out.size()); break;
    case Compression::LZW: made = DecodeLZW(in, size, out.data(), out.size()); break;
    case Compression::AdobeDeflate:
    case Compression::Deflate: made = Inflate(in, size, out.data(), out.size()); break;
    case Compression::CCITTRLE:
    case Compression::CCITTFax3:
    case Compression::CCITTFax4:
        std::fill(out.begin(), out.end(), 0); // rows are drawn onto a cleared buffer
        made = DecodeFax(in, size, out.data(), out.size(), l.chunkWidth, FaxOptionsOf(l));
        break;
    default: throw Exception("compression scheme is not supported");
    }
    std::fill(out.begin() + std::ptrdiff_t(made), out.end(), 0);
    if (predicted) {
        const std::uint64_t rowBytes = l.ChunkRowBytes();
        UndoHorizontalDifferencing(out.data(), std::size_t(expected / rowBytes), std::size_t(rowBytes), l.chunkWidth,
                                   l.SamplesPerChunkPixel(), l.bits, l.bigEndian);
    }
    return {out.data(), made};
}

} // namespace Brintavolex::TIF
