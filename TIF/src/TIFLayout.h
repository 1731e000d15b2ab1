#pragma once

// What one image file directory says about its pixels, checked against the
// file before anything is decoded.
#include "Data/api/ColorType.h"
#include "TIF/api/TIFDirectory.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::TIF {

namespace Tag {
constexpr std::uint16_t ImageWidth = 256, ImageLength = 257, BitsPerSample = 258, Compression = 259,
                        PhotometricInterpretation = 262, FillOrder = 266, ImageDescription = 270,
                        StripOffsets = 273, SamplesPerPixel = 277, RowsPerStrip = 278, StripByteCounts = 279,
                        PlanarConfiguration = 284, T4Options = 292, T6Options = 293, Predictor = 317,
                        ColorMap = 320, TileWidth = 322, TileLength = 323, TileOffsets = 324, TileByteCounts = 325,
                        ExtraSamples = 338, SampleFormat = 339, JPEGTables = 347, YCbCrSubSampling = 530,
                        ImageDepth = 32997, TileDepth = 32998;
}

namespace Compression {
constexpr unsigned None = 1, CCITTRLE = 2, CCITTFax3 = 3, CCITTFax4 = 4, LZW = 5, OldJPEG = 6, JPEG = 7,
                   AdobeDeflate = 8, Thunderscan = 32809, PackBits = 32773, Deflate = 32946, SGILog = 34676,
                   SGILog24 = 34677;
}

namespace Photometric {
constexpr unsigned MinIsWhite = 0, MinIsBlack = 1, RGB = 2, Palette = 3, Mask = 4, Separated = 5, YCbCr = 6;
constexpr unsigned Absent = ~0u;
} // namespace Photometric

constexpr unsigned kPredictorNone = 1, kPredictorHorizontal = 2, kPredictorFloatingPoint = 3;
constexpr unsigned kSampleFormatUnsigned = 1, kSampleFormatSigned = 2, kSampleFormatFloat = 3;
constexpr unsigned kExtraSampleUnspecified = 0;

// Strips are chunks as wide as the image; tiles, chunks of TileWidth x
// TileLength (x TileDepth); planar images have a set of chunks per sample.
struct ImageLayout {
    std::uint32_t width = 0, height = 0, depth = 1;
    unsigned samples = 1, bits = 1, sampleFormat = kSampleFormatUnsigned;
    unsigned photometric = Photometric::Absent;
    unsigned compression = Compression::None, predictor = kPredictorNone, fillOrder = 1;
    std::uint64_t faxOptions = 0; // T4Options or T6Options
    bool planar = false, tiled = false, bigEndian = false, alpha = false;
    // Subsampling of uncompressed YCbCr data (1, 1 when it is not subsampled).
    unsigned ycbcrH = 1, ycbcrV = 1;
    std::uint32_t chunkWidth = 0, chunkHeight = 0, chunkDepth = 1;
    std::uint32_t chunksAcross = 1, chunksDown = 1, chunksDeep = 1;
    std::vector<std::uint64_t> offsets, byteCounts;
    std::vector<std::uint16_t> colorMap; // red, then green, then blue entries
    std::vector<std::uint8_t> jpegTables;
    Data::ColorType colorType = Data::ColorType::Unknown;

    unsigned Planes() const noexcept { return planar ? samples : 1; }
    unsigned SamplesPerChunkPixel() const noexcept { return planar ? 1 : samples; }
    std::uint64_t ChunksPerPlane() const noexcept { return std::uint64_t(chunksAcross) * chunksDown * chunksDeep; }
    // Bytes of one decompressed chunk row, and of the rows of a whole chunk
    // (a strip at the bottom may hold fewer rows).
    std::uint64_t ChunkRowBytes() const noexcept;
    std::uint32_t ChunkRows(std::uint64_t chunk) const noexcept;
    std::uint64_t ChunkBytes(std::uint64_t chunk) const noexcept;
    // Where a chunk lies: its plane, and its first column, row and slice.
    struct Place {
        unsigned plane;
        std::uint32_t x, y, z;
    };
    Place ChunkPlace(std::uint64_t chunk) const noexcept;
};

// The colour type an IFD decodes to, by the rules in their order.
Data::ColorType DecodedColorType(const ImageFileDirectory &ifd);

// Reads and checks everything decoding needs; refuses with a message naming
// the field. fileSize bounds every chunk. Throws Exception.
ImageLayout ReadImageLayout(const ImageFileDirectory &ifd, bool bigEndian, std::uint64_t fileSize);

} // namespace Brintavolex::TIF
