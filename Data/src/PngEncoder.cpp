#include "Data/api/PngEncoder.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace Brintavolex::Data {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), length);
}

void Flush(png_structp) {}

// Rows converted to the byte order PNG wants, all before libpng runs, so that
// no C++ object lives across its longjmp.
struct Rows {
    std::vector<std::uint8_t> bytes;
    std::size_t rowBytes = 0;
    int colourType = PNG_COLOR_TYPE_GRAY;
    int bitDepth = 8;
};

template <class C> void PutBigEndian(std::uint8_t *out, C value)
{
    if constexpr (sizeof(C) == 1) {
        out[0] = value;
    } else {
        out[0] = std::uint8_t(value >> 8);
        out[1] = std::uint8_t(value);
    }
}

template <class C> Rows ConvertGrey(const Image2DBase &image)
{
    Rows rows;
    const auto lock = image.Lock<C>(LockReadOnly);
    rows.bitDepth = 8 * sizeof(C);
    rows.rowBytes = lock.Width() * sizeof(C);
    rows.bytes.resize(rows.rowBytes * lock.Height());
    for (std::uint64_t y = 0; y < lock.Height(); ++y)
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            PutBigEndian(&rows.bytes[y * rows.rowBytes + x * sizeof(C)], lock.Row(y)[x]);
    return rows;
}

template <class C> Rows ConvertColour(const Image2DBase &image)
{
    Rows rows;
    const auto lock = image.Lock<ColorBGRA<C>>(LockReadOnly);
    bool opaque = true;
    const C full = C(~C(0));
    for (std::uint64_t y = 0; y < lock.Height() && opaque; ++y)
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            opaque &= lock.Row(y)[x].a == full;
    const unsigned channels = opaque ? 3 : 4;
    rows.colourType = opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
    rows.bitDepth = 8 * sizeof(C);
    rows.rowBytes = lock.Width() * channels * sizeof(C);
    rows.bytes.resize(rows.rowBytes * lock.Height());
    for (std::uint64_t y = 0; y < lock.Height(); ++y) {
        std::uint8_t *out = &rows.bytes[y * rows.rowBytes];
        for (std::uint64_t x = 0; x < lock.Width(); ++x) {
            const ColorBGRA<C> &p = lock.Row(y)[x];
            const C values[4] = {p.r, p.g, p.b, p.a};
            for (unsigned c = 0; c < channels; ++c, out += sizeof(C))
                PutBigEndian(out, values[c]);
        }
    }
    return rows;
}

// Returns false when libpng failed (it reports through longjmp).
bool Write(const Rows &rows, std::uint32_t width, std::uint32_t height, std::string &out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, &Append, &Flush);
    png_set_IHDR(png, info, width, height, rows.bitDepth, rows.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rows.bytes[y * rows.rowBytes]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::string EncodePng(const Image2DBase &image)
{
    Rows rows;
    switch (image.GetColorType()) {
    case ColorType::UInt8: rows = ConvertGrey<std::uint8_t>(image); break;
    case ColorType::UInt16: rows = ConvertGrey<std::uint16_t>(image); break;
    case ColorType::BGRAUInt8: rows = ConvertColour<std::uint8_t>(image); break;
    case ColorType::BGRAUInt16: rows = ConvertColour<std::uint16_t>(image); break;
    default: {
        const char *name = ColorTypeName(image.GetColorType());
        throw Exception(String("EncodePng: pixel type ") + (name ? name : "unknown") +
                        " cannot be written as PNG yet");
    }
    }
    const std::uint64_t width = image.GetWidth(), height = image.GetHeight();
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        throw Exception("EncodePng: the picture has no valid size");
    std::string out;
    if (!Write(rows, std::uint32_t(width), std::uint32_t(height), out))
        throw Exception("EncodePng: libpng failed");
    return out;
}

} // namespace Brintavolex::Data
