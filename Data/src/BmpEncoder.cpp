#include "Data/api/BmpEncoder.h"

#include <cstring>

namespace Brintavolex::Data {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40; // BITMAPINFOHEADER
constexpr std::uint32_t kV4HeaderSize = 108;  // BITMAPV4HEADER: masks and colour space
constexpr std::uint32_t kCompressionRgb = 0, kCompressionBitFields = 3;
constexpr std::uint32_t kColourSpaceSrgb = 0x73524742; // 'sRGB'
constexpr std::int32_t kPixelsPerMetre = 3780;         // 96 dots per inch
constexpr std::uint32_t kGreyPaletteEntries = 256;
constexpr std::uint64_t kLargestFile = 0xFFFFFFFFu;

class Writer {
public:
    explicit Writer(std::string &out) : _out(out) {}
    void U16(std::uint16_t v) { Bytes(&v, 2); }
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void I32(std::int32_t v) { Bytes(&v, 4); }
    void Zeros(std::size_t n) { _out.append(n, '\0'); }

private:
    // Little-endian on every machine we build for; written byte by byte anyway.
    void Bytes(const void *v, unsigned n)
    {
        std::uint64_t value = 0;
        std::memcpy(&value, v, n);
        for (unsigned i = 0; i < n; ++i)
            _out.push_back(char(std::uint8_t(value >> (8 * i))));
    }
    std::string &_out;
};

struct Layout {
    std::uint16_t bitCount;
    std::uint32_t headerSize, paletteBytes;
};

} // namespace

std::string EncodeBmp(const Image2DBase &image)
{
    const ColorType type = image.GetColorType();
    if (type != ColorType::UInt8 && type != ColorType::BGRAUInt8) {
        const char *name = ColorTypeName(type);
        throw Exception(String("EncodeBmp: pixel type ") + (name ? name : "unknown") + " cannot be written as BMP");
    }
    const std::uint64_t width = image.GetWidth(), height = image.GetHeight();
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        throw Exception("EncodeBmp: the picture has no valid size");

    bool opaque = true;
    if (type == ColorType::BGRAUInt8) {
        const auto lock = image.Lock<ColorBGRA<std::uint8_t>>(LockReadOnly);
        for (std::uint64_t y = 0; y < height && opaque; ++y)
            for (std::uint64_t x = 0; x < width; ++x)
                opaque &= lock.Row(y)[x].a == 255;
    }
    const Layout layout = type == ColorType::UInt8 ? Layout{8, kInfoHeaderSize, kGreyPaletteEntries * 4}
                          : opaque                 ? Layout{24, kInfoHeaderSize, 0}
                                                   : Layout{32, kV4HeaderSize, 0};
    const std::uint64_t rowBytes = (width * layout.bitCount / 8 + 3) & ~std::uint64_t(3);
    const std::uint64_t offset = kFileHeaderSize + layout.headerSize + layout.paletteBytes;
    if (rowBytes > (kLargestFile - offset) / height)
        throw Exception("EncodeBmp: the picture is too large for a BMP file");
    const std::uint64_t fileSize = offset + rowBytes * height;

    std::string out;
    out.reserve(std::size_t(fileSize));
    Writer w(out);
    w.U16(0x4D42); // "BM"
    w.U32(std::uint32_t(fileSize));
    w.U32(0);
    w.U32(std::uint32_t(offset));
    w.U32(layout.headerSize);
    w.I32(std::int32_t(width));
    w.I32(std::int32_t(height)); // positive: bottom-up
    w.U16(1);
    w.U16(layout.bitCount);
    w.U32(layout.bitCount == 32 ? kCompressionBitFields : kCompressionRgb);
    w.U32(std::uint32_t(rowBytes * height));
    w.I32(kPixelsPerMetre);
    w.I32(kPixelsPerMetre);
    w.U32(layout.paletteBytes ? kGreyPaletteEntries : 0);
    w.U32(0);
    if (layout.headerSize == kV4HeaderSize) {
        w.U32(0x00FF0000); // red
        w.U32(0x0000FF00); // green
        w.U32(0x000000FF); // blue
        w.U32(0xFF000000); // alpha
        w.U32(kColourSpaceSrgb);
        w.Zeros(36 + 12); // end points and gammas, unused with sRGB
    }
    for (std::uint32_t i = 0; i < layout.paletteBytes / 4; ++i) {
        const char grey = char(i);
        out.append({grey, grey, grey, '\0'});
    }

    const std::size_t padding = std::size_t(rowBytes - width * layout.bitCount / 8);
    if (type == ColorType::UInt8) {
        const auto lock = image.Lock<std::uint8_t>(LockReadOnly);
        for (std::uint64_t y = height; y-- > 0;) {
            out.append(reinterpret_cast<const char *>(lock.Row(y)), std::size_t(width));
            out.append(padding, '\0');
        }
    } else {
        const auto lock = image.Lock<ColorBGRA<std::uint8_t>>(LockReadOnly);
        for (std::uint64_t y = height; y-- > 0;) {
            const ColorBGRA<std::uint8_t> *row = lock.Row(y);
            if (layout.bitCount == 32) {
                out.append(reinterpret_cast<const char *>(row), std::size_t(width) * 4);
            } else {
                for (std::uint64_t x = 0; x < width; ++x)
                    out.append({char(row[x].b), char(row[x].g), char(row[x].r)});
            }
            out.append(padding, '\0');
        }
    }
    return out;
}

} // namespace Brintavolex::Data
