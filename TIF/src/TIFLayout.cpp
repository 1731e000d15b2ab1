#include "TIF/src/TIFLayout.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <string>

namespace Brintavolex::TIF {

namespace {

using Data::ColorType;

// The first value of a tag, or fallback when it is absent.
std::uint64_t First(const ImageFileDirectory &ifd, std::uint16_t tag, std::uint64_t fallback)
{
    const std::vector<std::uint64_t> values = ifd.Unsigned(tag);
    return values.empty() ? fallback : values[0];
}

[[noreturn]] void Refuse(const std::string &message) { throw Exception(message.c_str()); }

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

// Chunk sizes that no writer uses but that would make one chunk's buffer
// larger than any picture.
constexpr std::uint64_t kMaxChunkSide = 1u << 20;

void ReadChunkTable(const ImageFileDirectory &ifd, ImageLayout &l, std::uint64_t fileSize)
{
    const std::uint16_t offsetTag = l.tiled ? Tag::TileOffsets : Tag::StripOffsets;
    const std::uint16_t countTag = l.tiled ? Tag::TileByteCounts : Tag::StripByteCounts;
    const char *offsetName = l.tiled ? "TileOffsets" : "StripOffsets";
    const char *countName = l.tiled ? "TileByteCounts" : "StripByteCounts";
    l.offsets = ifd.Unsigned(offsetTag);
    l.byteCounts = ifd.Unsigned(countTag);
    const std::uint64_t needed = l.ChunksPerPlane() * l.Planes();
    if (l.offsets.size() < needed)
        Refuse(std::string(offsetName) + " holds " + std::to_string(l.offsets.size()) + " entries; the image needs " +
               std::to_string(needed));
    if (l.byteCounts.size() != l.offsets.size())
        Refuse(std::string(countName) + " holds " + std::to_string(l.byteCounts.size()) + " entries, " + offsetName +
               " " + std::to_string(l.offsets.size()));
    for (std::uint64_t i = 0; i < needed; ++i)
        if (l.offsets[i] > fileSize || l.byteCounts[i] > fileSize - l.offsets[i])
            Refuse(std::string(countName) + "[" + std::to_string(i) + "] reaches past the end of the file");
}

} // namespace

std::uint64_t ImageLayout::ChunkRowBytes() const noexcept
{
    if (ycbcrH * ycbcrV > 1) // data units of ycbcrH x ycbcrV luma samples and two chroma samples
        return CeilDiv(chunkWidth, ycbcrH) * (ycbcrH * ycbcrV + 2);
    return CeilDiv(std::uint64_t(chunkWidth) * SamplesPerChunkPixel() * bits, 8);
}

std::uint32_t ImageLayout::ChunkRows(std::uint64_t chunk) const noexcept
{
    if (tiled)
        return chunkHeight;
    const Place place = ChunkPlace(chunk);
    // Stripped volumes: the slices' rows follow each other.
    const std::uint64_t row = std::uint64_t(place.z) * height + place.y;
    return std::uint32_t(std::min<std::uint64_t>(chunkHeight, std::uint64_t(height) * depth - row));
}

std::uint64_t ImageLayout::ChunkBytes(std::uint64_t chunk) const noexcept
{
    const std::uint64_t rows = ChunkRows(chunk);
    if (ycbcrH * ycbcrV > 1)
        return CeilDiv(rows, ycbcrV) * ChunkRowBytes();
    return rows * ChunkRowBytes() * chunkDepth;
}

ImageLayout::Place ImageLayout::ChunkPlace(std::uint64_t chunk) const noexcept
{
    const std::uint64_t perPlane = ChunksPerPlane();
    const unsigned plane = unsigned(chunk / perPlane);
    std::uint64_t i = chunk % perPlane;
    if (!tiled) {
        // Strips run through the rows of every slice.
        const std::uint64_t row = i * chunkHeight;
        return {plane, 0, std::uint32_t(row % height), std::uint32_t(row / height)};
    }
    const std::uint32_t x = std::uint32_t(i % chunksAcross) * chunkWidth;
    i /= chunksAcross;
    const std::uint32_t y = std::uint32_t(i % chunksDown) * chunkHeight;
    const std::uint32_t z = std::uint32_t(i / chunksDown) * chunkDepth;
    return {plane, x, y, z};
}

ColorType DecodedColorType(const ImageFileDirectory &ifd)
{
    const std::uint64_t format = First(ifd, Tag::SampleFormat, kSampleFormatUnsigned);
    if (format == kSampleFormatSigned)
        Refuse("SampleFormat must be 1 or 3");
    if (format != kSampleFormatUnsigned && format != kSampleFormatFloat)
        Refuse("SampleFormat must 1, 2 or 3");
    const bool hasBits = ifd.Has(Tag::BitsPerSample);
    const std::uint64_t bits = First(ifd, Tag::BitsPerSample, 1);
    const std::uint64_t samples = First(ifd, Tag::SamplesPerPixel, 1);
    const std::uint64_t photometric = First(ifd, Tag::PhotometricInterpretation, Photometric::Absent);
    const bool photometricBelow3 = photometric == Photometric::Absent || photometric < Photometric::Palette;
    if (format == kSampleFormatFloat) {
        if (!hasBits)
            Refuse("BitsPerSample must be set if SampleFormat is 3");
        if (bits != 32 && bits != 64)
            Refuse("BitsPerSample must be 32 or 64 if SampleFormat is 3");
        if (samples == 1)
            return bits == 32 ? ColorType::Float32 : ColorType::Float64;
        if (samples >= 2 && samples <= 4)
            return bits == 32 ? ColorType::BGRAFloat32 : ColorType::BGRAFloat64;
        Refuse("SamplesPerPixel must be 1, 2, 3 or 4");
    }
    if (samples == 1 && photometricBelow3) {
        if (bits == 16)
            return ColorType::UInt16;
        if (bits == 24 || bits == 32)
            return ColorType::UInt32;
    }
    if (samples == 3 && photometricBelow3) {
        const std::vector<std::uint64_t> all = ifd.Unsigned(Tag::BitsPerSample);
        if (all.size() == 3 && all[0] == 24 && all[1] == 24 && all[2] == 24)
            return ColorType::BGRAUInt32;
    }
    if (photometric == Photometric::Palette)
        return ColorType::BGRAUInt16;
    if (samples >= 2 && samples <= 4) {
        if (bits <= 8)
            return ColorType::BGRAUInt8;
        if (bits <= 16)
            return ColorType::BGRAUInt16;
        if (bits <= 32)
            return ColorType::BGRAUInt32;
        if (bits <= 64)
            return ColorType::BGRAUInt64;
        Refuse("more than 64 bit not supported");
    }
    if (samples != 1)
        Refuse("SamplesPerPixel must be 1, 2, 3 or 4");
    if (bits <= 8)
        return ColorType::UInt8;
    if (bits <= 16)
        return ColorType::UInt16;
    if (bits <= 32)
        return ColorType::UInt32;
    if (bits <= 64)
        return ColorType::UInt64;
    Refuse("more than 64 bit not supported");
}

ImageLayout ReadImageLayout(const ImageFileDirectory &ifd, bool bigEndian, std::uint64_t fileSize)
{
    ImageLayout l;
    l.colorType = DecodedColorType(ifd);
    l.bigEndian = bigEndian;
    const std::uint64_t width = First(ifd, Tag::ImageWidth, 0), height = First(ifd, Tag::ImageLength, 0);
    const std::uint64_t depth = First(ifd, Tag::ImageDepth, 1);
    if (width == 0 || width > UINT32_MAX)
        Refuse("ImageWidth must be between 1 and 4294967295");
    if (height == 0 || height > UINT32_MAX)
        Refuse("ImageLength must be between 1 and 4294967295");
    if (depth == 0 || depth > UINT32_MAX)
        Refuse("ImageDepth must be between 1 and 4294967295");
    l.width = std::uint32_t(width);
    l.height = std::uint32_t(height);
    l.depth = std::uint32_t(depth);
    l.samples = unsigned(First(ifd, Tag::SamplesPerPixel, 1));
    const std::vector<std::uint64_t> bits = ifd.Unsigned(Tag::BitsPerSample);
    l.bits = bits.empty() ? 1 : unsigned(bits[0]);
    if (bits.size() > 1 && bits.size() < l.samples)
        Refuse("BitsPerSample holds fewer values than SamplesPerPixel");
    for (std::size_t i = 1; i < std::min<std::size_t>(bits.size(), l.samples); ++i)
        if (bits[i] != bits[0])
            Refuse("BitsPerSample: samples of different sizes are not supported");
    if (l.bits == 0)
        Refuse("BitsPerSample must not be 0");
    l.sampleFormat = unsigned(First(ifd, Tag::SampleFormat, kSampleFormatUnsigned));
    l.photometric = unsigned(std::min<std::uint64_t>(First(ifd, Tag::PhotometricInterpretation, Photometric::Absent),
                                                     Photometric::Absent));
    l.compression = unsigned(std::min<std::uint64_t>(First(ifd, Tag::Compression, Compression::None), UINT32_MAX));
    l.predictor = unsigned(std::min<std::uint64_t>(First(ifd, Tag::Predictor, kPredictorNone), UINT32_MAX));
    l.fillOrder = unsigned(First(ifd, Tag::FillOrder, 1));
    l.faxOptions = First(ifd, l.compression == Compression::CCITTFax4 ? Tag::T6Options : Tag::T4Options, 0);
    l.planar = First(ifd, Tag::PlanarConfiguration, 1) == 2 && l.samples > 1;
    if (l.photometric > Photometric::YCbCr && l.photometric != Photometric::Absent)
        Refuse("PhotometricInterpretation " + std::to_string(l.photometric) + " is not supported");
    // Grey with alpha, or RGB with alpha; extra samples beyond those are not shown.
    l.alpha = (l.samples == 2 && l.photometric != Photometric::Palette) ||
              (l.samples == 4 && l.photometric != Photometric::Separated);

    if (l.photometric == Photometric::Palette) {
        if (l.samples != 1)
            Refuse("PhotometricInterpretation 3 (ColorMap) needs SamplesPerPixel 1");
        if (l.bits == 24 || l.bits == 32)
            Refuse("PhotometricInterpretation 3 (ColorMap) is not supported for images with " +
                   std::to_string(l.bits) + " bits per sample");
        if (l.bits > 16)
            Refuse("PhotometricInterpretation 3 (ColorMap) needs at most 16 bits per sample");
        const std::vector<std::uint64_t> map = ifd.Unsigned(Tag::ColorMap);
        const std::uint64_t entries = std::uint64_t(1) << l.bits;
        if (map.size() < 3 * entries)
            Refuse("ColorMap holds " + std::to_string(map.size()) + " values; " + std::to_string(l.bits) +
                   "-bit samples need " + std::to_string(3 * entries));
        l.colorMap.assign(map.begin(), map.begin() + std::ptrdiff_t(3 * entries));
    }
    const bool jpeg = l.compression == Compression::JPEG || l.compression == Compression::OldJPEG;
    if (l.photometric == Photometric::YCbCr && !jpeg) {
        if (l.colorType != ColorType::BGRAUInt8)
            Refuse("ConvertYCbCrtoRGB is only implemented for images of type BGRA<UInt8>");
        if (l.planar)
            Refuse("YCbCr with PlanarConfiguartion==2 is not supported");
        if (l.bits != 8)
            Refuse("YCbCr with BitsPerSample!=8 is not supported");
        if (l.samples != 3)
            Refuse("YCbCr needs SamplesPerPixel 3");
        const std::vector<std::uint64_t> sub = ifd.Unsigned(Tag::YCbCrSubSampling);
        l.ycbcrH = sub.empty() ? 2 : unsigned(sub[0]);
        l.ycbcrV = sub.size() < 2 ? 2 : unsigned(sub[1]);
        auto valid = [](unsigned f) { return f == 1 || f == 2 || f == 4; };
        if (!valid(l.ycbcrH) || !valid(l.ycbcrV))
            Refuse("YCbCrSubSampling must be 1, 2 or 4");
    }
    if (l.photometric == Photometric::Separated) {
        if (l.colorType != ColorType::BGRAUInt8)
            Refuse("ConvertCMYKtoRGB is only implemented for images of type BGRA<UInt8>");
        if (l.samples != 4)
            Refuse("CMYK needs SamplesPerPixel 4");
        if (l.planar)
            Refuse("CMYK with PlanarConfiguration 2 is not supported");
    }
    if (l.sampleFormat == kSampleFormatFloat && l.bits != 32 && l.bits != 64)
        Refuse("BitsPerSample must be 32 or 64 if SampleFormat is 3");

    switch (l.compression) {
    case Compression::None:
    case Compression::PackBits:
    case Compression::LZW: break;
    case Compression::CCITTRLE:
    case Compression::CCITTFax3:
    case Compression::CCITTFax4:
        if (l.bits != 1 || l.samples != 1)
            Refuse("CCITT compression needs 1 bit per sample and one sample per pixel");
        break;
    case Compression::OldJPEG:
    case Compression::JPEG:
        if (l.bits != 8)
            Refuse("JPEG compression with BitsPerSample!=8 is not supported");
        if (l.width >= 65536 || l.height >= 65536)
            Refuse("image width and height must be less than 65536 pixels");
        if (l.planar)
            Refuse("JPEG compression with PlanarConfiguration 2 is not supported");
        l.jpegTables = ifd.Bytes(Tag::JPEGTables);
        break;
    case Compression::AdobeDeflate:
    case Compression::Deflate:
        if (l.bits != 8 && l.bits != 16 && l.bits != 32 && l.bits != 64)
            Refuse("Deflate compression scheme is only supported with 8, 16, 32, 64 bits per sample");
        break;
    case Compression::Thunderscan: Refuse("Thunderscan compression scheme is not supported");
    case Compression::SGILog: Refuse("SGI Log Luminance RLE compression scheme is not supported");
    case Compression::SGILog24: Refuse("SGI Log 24-bit packed compression scheme is not supported");
    default: Refuse("compression scheme is not supported");
    }
    if (l.predictor == kPredictorFloatingPoint)
        Refuse("Predictor 3 (floating point) is not supported");
    if (l.predictor != kPredictorNone && l.predictor != kPredictorHorizontal)
        Refuse("Predictor must be 1 or 2");
    if (l.predictor == kPredictorHorizontal && l.bits != 8 && l.bits != 16 && l.bits != 32 && l.bits != 64)
        Refuse("Predictor 2 needs 8, 16, 32 or 64 bits per sample");
    if (l.fillOrder != 1 && l.fillOrder != 2)
        Refuse("FillOrder must be 1 or 2");

    l.tiled = ifd.Has(Tag::TileWidth) || ifd.Has(Tag::TileOffsets);
    if (l.tiled) {
        const std::uint64_t tw = First(ifd, Tag::TileWidth, 0), tl = First(ifd, Tag::TileLength, 0);
        const std::uint64_t td = First(ifd, Tag::TileDepth, 1);
        if (tw == 0 || tw > kMaxChunkSide)
            Refuse("TileWidth must be between 1 and " + std::to_string(kMaxChunkSide));
        if (tl == 0 || tl > kMaxChunkSide)
            Refuse("TileLength must be between 1 and " + std::to_string(kMaxChunkSide));
        if (td == 0 || td > kMaxChunkSide)
            Refuse("TileDepth must be between 1 and " + std::to_string(kMaxChunkSide));
        l.chunkWidth = std::uint32_t(tw);
        l.chunkHeight = std::uint32_t(tl);
        l.chunkDepth = std::uint32_t(td);
        l.chunksAcross = std::uint32_t(CeilDiv(l.width, tw));
        l.chunksDown = std::uint32_t(CeilDiv(l.height, tl));
        l.chunksDeep = std::uint32_t(CeilDiv(l.depth, td));
    } else {
        const std::uint64_t rows = std::uint64_t(l.height) * l.depth;
        const std::uint64_t rowsPerStrip = First(ifd, Tag::RowsPerStrip, rows);
        if (rowsPerStrip == 0)
            Refuse("RowsPerStrip must not be 0");
        l.chunkWidth = l.width;
        l.chunkHeight = std::uint32_t(std::min(rowsPerStrip, rows));
        if (l.depth > 1 && l.height % l.chunkHeight != 0)
            Refuse("RowsPerStrip must divide ImageLength in a volume of strips");
        l.chunksDown = std::uint32_t(CeilDiv(rows, l.chunkHeight));
    }
    if (l.ycbcrH * l.ycbcrV > 1 && (l.chunkHeight % l.ycbcrV != 0 || (l.tiled && l.chunkWidth % l.ycbcrH != 0)))
        Refuse("the strips or tiles of subsampled YCbCr must hold whole data units");
    ReadChunkTable(ifd, l, fileSize);
    return l;
}

} // namespace Brintavolex::TIF
