#include "BMP/src/BMPPixels.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Brintavolex::BMP {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;
using Target = Data::Image2DLock<Pixel>;

// The palette as output pixels. BMP palettes carry no alpha: a fourth byte
// of 0 means opaque.
void BuildPalette(const Layout &layout, Pixel (&palette)[256])
{
    for (unsigned i = 0; i < 256; ++i) {
        const std::uint8_t *entry = layout.palette[i];
        palette[i] = Pixel{entry[0], entry[1], entry[2], std::uint8_t(entry[3] == 0 ? 255 : entry[3])};
    }
}

// Reads the stored rows in blocks; memory streams hand out their bytes in place.
class RowSource {
public:
    RowSource(IStream &stream, std::uint64_t position, std::uint64_t rowBytes, std::uint64_t rows)
        : _stream(stream), _rowBytes(rowBytes), _rows(rows)
    {
        stream.seek(position);
        if (auto *inPlace = dynamic_cast<Stream *>(&stream)) {
            const std::uint64_t available = stream.size() - position;
            const std::uint64_t wanted = std::min(available, rowBytes * rows);
            const StreamLock lock = inPlace->lock(wanted);
            if (lock.data) {
                _all = lock.data;
                _allBytes = lock.count;
            } else {
                stream.seek(position);
            }
        }
    }

    // Row r (rows come in order); the last row may lack its padding.
    const std::uint8_t *Row(std::uint64_t r)
    {
        if (_all)
            return _all + r * _rowBytes;
        if (r >= _blockFirst + _blockRows) {
            _blockFirst = r;
            _blockRows = std::min<std::uint64_t>(_rows - r, std::max<std::uint64_t>(1, (4u << 20) / _rowBytes));
            const std::uint64_t remaining = _stream.size() - _stream.tell();
            const std::uint64_t bytes = std::min(_blockRows * _rowBytes, remaining);
            _block.assign(std::size_t(_blockRows * _rowBytes), 0);
            _stream.read(_block.data(), bytes);
        }
        return _block.data() + (r - _blockFirst) * _rowBytes;
    }

private:
    IStream &_stream;
    std::uint64_t _rowBytes, _rows;
    const std::uint8_t *_all = nullptr;
    std::uint64_t _allBytes = 0;
    std::vector<std::uint8_t> _block;
    std::uint64_t _blockFirst = 0, _blockRows = 0;
};

// One channel of a bit-field pixel: trunc(((p & mask) >> shift) * scale + 0.5)
// with scale = 255 / (mask >> shift) in single precision; 0 for no mask.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : _mask(mask)
    {
        if (!mask)
            return;
        while (!((mask >> _shift) & 1))
            ++_shift;
        const std::uint32_t maximum = mask >> _shift;
        _scale = 255.0f / float(maximum);
        if (maximum < 65536) {
            _table.resize(maximum + 1);
            for (std::uint32_t v = 0; v <= maximum; ++v)
                _table[v] = Compute(v);
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (!_mask)
            return 0;
        const std::uint32_t v = (pixel & _mask) >> _shift;
        return _table.empty() ? Compute(v) : _table[v];
    }
    bool Present() const { return _mask != 0; }

private:
    std::uint8_t Compute(std::uint32_t v) const
    {
        const float scaled = float(v) * _scale + 0.5f;
        return scaled >= 255.0f ? 255 : std::uint8_t(scaled);
    }
    std::uint32_t _mask;
    unsigned _shift = 0;
    float _scale = 0;
    std::vector<std::uint8_t> _table;
};

// B, G, R triples to B, G, R, 255: four pixels from three little-endian words
// at a time.
void Expand24(const std::uint8_t *in, Pixel *out, std::uint32_t width)
{
    std::uint32_t x = 0;
    for (; x + 4 <= width; x += 4, in += 12) {
        std::uint32_t w[3];
        std::memcpy(w, in, 12);
        const std::uint32_t p[4] = {w[0] | 0xFF000000u, (w[0] >> 24) | (w[1] << 8) | 0xFF000000u,
                                    (w[1] >> 16) | (w[2] << 16) | 0xFF000000u, (w[2] >> 8) | 0xFF000000u};
        std::memcpy(static_cast<void *>(out + x), p, 16);
    }
    for (; x < width; ++x, in += 3)
        out[x] = Pixel{in[0], in[1], in[2], 255};
}

void ReportRow(const SharedPtr<IProgress> &progress, std::uint64_t r, std::uint64_t rows)
{
    if ((r & 63) == 0)
        ReportProgress(progress, double(r) / double(rows));
}

void DecodeUncompressed(IStream &stream, const Layout &layout, const Target &target,
                        const SharedPtr<IProgress> &progress)
{
    const std::uint32_t width = layout.width, height = layout.height;
    const unsigned bits = layout.bitCount;
    const std::uint64_t rowBytes = (std::uint64_t(bits) * width + 31) / 32 * 4;
    RowSource source(stream, layout.pixelPosition, rowBytes, height);
    const auto outputRow = [&](std::uint64_t r) {
        return target.Row(layout.topDown ? r : height - 1 - r);
    };

    if (bits <= 8) {
        Pixel palette[256];
        BuildPalette(layout, palette);
        const unsigned perByte = 8 / bits, mask = (1u << bits) - 1;
        for (std::uint64_t r = 0; r < height; ++r) {
            ReportRow(progress, r, height);
            const std::uint8_t *in = source.Row(r);
            Pixel *out = outputRow(r);
            if (bits == 8) {
                for (std::uint32_t x = 0; x < width; ++x)
                    out[x] = palette[in[x]];
                continue;
            }
            for (std::uint32_t x = 0; x < width; ++x) {
                const unsigned shift = 8 - bits * (x % perByte + 1);
                out[x] = palette[(in[x / perByte] >> shift) & mask];
            }
        }
        return;
    }

    if (bits == 24) {
        for (std::uint64_t r = 0; r < height; ++r) {
            ReportRow(progress, r, height);
            const std::uint8_t *in = source.Row(r);
            Pixel *out = outputRow(r);
            Expand24(in, out, width);
        }
        return;
    }

    // 16 and 32 bits: bit fields, from the header or the defaults.
    std::uint32_t masks[4];
    if (HasBitFields(layout.compression)) {
        std::copy(layout.masks, layout.masks + 4, masks);
        if (layout.compression == Compression::BitFields && layout.headerSize == kInfoHeaderSize)
            masks[3] = 0;
    } else {
        const std::uint32_t *defaults = bits == 16 ? kDefaultMasks16 : kDefaultMasks32;
        std::copy(defaults, defaults + 4, masks);
    }
    // Uncompressed 32-bit files store the fourth byte without saying what it
    // is; when it is 0 everywhere the picture is opaque.
    const bool alphaMayBeUnused = bits == 32 && layout.compression == Compression::RGB;
    bool anyAlpha = false;
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool plain32 = bits == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF &&
                         (masks[3] == 0xFF000000 || masks[3] == 0);
    for (std::uint64_t r = 0; r < height; ++r) {
        ReportRow(progress, r, height);
        const std::uint8_t *in = source.Row(r);
        Pixel *out = outputRow(r);
        if (plain32) {
            // The file's byte order is the picture's: B, G, R, A.
            std::memcpy(static_cast<void *>(out), in, std::size_t(width) * 4);
            if (!masks[3]) {
                for (std::uint32_t x = 0; x < width; ++x)
                    out[x].a = 255;
            } else if (alphaMayBeUnused && !anyAlpha) {
                for (std::uint32_t x = 0; x < width; ++x)
                    anyAlpha |= out[x].a != 0;
            }
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t p;
            if (bits == 16) {
                p = std::uint32_t(in[2 * x]) | std::uint32_t(in[2 * x + 1]) << 8;
            } else {
                const std::uint8_t *q = in + 4 * x;
                p = std::uint32_t(q[0]) | std::uint32_t(q[1]) << 8 | std::uint32_t(q[2]) << 16 |
                    std::uint32_t(q[3]) << 24;
            }
            const std::uint8_t a = alpha.Present() ? alpha(p) : 255;
            anyAlpha |= a != 0;
            out[x] = Pixel{blue(p), green(p), red(p), a};
        }
    }
    if (alphaMayBeUnused && !anyAlpha)
        for (std::uint64_t y = 0; y < height; ++y) {
            Pixel *row = target.Row(y);
            for (std::uint32_t x = 0; x < width; ++x)
                row[x].a = 255;
        }
}

// RLE8 and RLE4: bounded by the data and by the picture; a run or a jump
// that leaves either ends the decode where it stands.
void DecodeRunLength(IStream &stream, const Layout &layout, const Target &target,
                     const SharedPtr<IProgress> &progress)
{
    const bool four = layout.compression == Compression::RLE4;
    const std::int64_t width = layout.width, height = layout.height;
    for (std::int64_t y = 0; y < height; ++y)
        std::memset(static_cast<void *>(target.Row(std::uint64_t(y))), 0, std::size_t(width) * sizeof(Pixel));
    const std::uint64_t available = stream.size() - layout.pixelPosition;
    std::uint64_t size = layout.imageSize;
    if (size == 0 || size > available)
        size = available;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    stream.seek(layout.pixelPosition);
    if (size)
        stream.read(data.data(), size);
    Pixel palette[256];
    BuildPalette(layout, palette);

    std::int64_t x = 0, row = height - 1;
    std::size_t i = 0;
    const auto put = [&](unsigned index) {
        if (x < width && row >= 0)
            target.Row(std::uint64_t(row))[x] = palette[index];
        ++x;
    };
    while (i + 1 < data.size() && row >= 0) {
        const unsigned n = data[i], c = data[i + 1];
        i += 2;
        if (n > 0) {
            // Clipped at the right edge.
            for (unsigned k = 0; k < n && x < width; ++k)
                put(four ? (k % 2 == 0 ? c >> 4 : c & 15) : c);
            continue;
        }
        if (c == kEndOfLine) {
            x = 0;
            --row;
            if ((row & 63) == 0)
                ReportProgress(progress, double(height - 1 - row) / double(height));
        } else if (c == kEndOfBitmap) {
            break;
        } else if (c == kDelta) {
            if (i + 1 >= data.size())
                break;
            x += data[i];
            row -= data[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = four ? (c + 1) / 2 : c;
            if (i + bytes > data.size())
                break;
            for (unsigned k = 0; k < c && x < width; ++k)
                put(four ? (k % 2 == 0 ? data[i + k / 2] >> 4 : data[i + k / 2] & 15) : data[i + k]);
            i += bytes + (bytes & 1);
        }
    }
}

} // namespace

void DecodePixels(IStream &stream, const Layout &layout, const Target &target, const SharedPtr<IProgress> &progress)
{
    if (target.Width() < layout.width || target.Height() < layout.height)
        throw Exception();
    if (IsRunLength(layout.compression))
        DecodeRunLength(stream, layout, target, progress);
    else
        DecodeUncompressed(stream, layout, target, progress);
    ReportProgress(progress, 1.0);
}

} // namespace Brintavolex::BMP
