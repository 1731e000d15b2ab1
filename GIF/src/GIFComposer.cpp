#include "GIF/src/GIFComposer.h"

#include "GIF/src/GIFLzw.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace Brintavolex::GIF {

static_assert(std::endian::native == std::endian::little, "canvas words lie in memory as B, G, R, A");

namespace {
constexpr std::uint32_t kOpaque = 0xFF000000u;
} // namespace

FrameComposer::FrameComposer(const Structure &structure, std::uint32_t width, std::uint32_t height)
    : _structure(structure), _width(width), _height(height), _canvas(std::size_t(width) * height)
{
}

FrameComposer::Rect FrameComposer::Clip(const ImageRecord &image) const
{
    Rect r;
    r.left = std::min<std::uint32_t>(image.left, _width);
    r.top = std::min<std::uint32_t>(image.top, _height);
    r.right = std::min<std::uint32_t>(std::uint32_t(image.left) + image.width, _width);
    r.bottom = std::min<std::uint32_t>(std::uint32_t(image.top) + image.height, _height);
    return r;
}

void FrameComposer::Clear()
{
    std::fill(_canvas.begin(), _canvas.end(), 0u);
    _drawn = 0;
}

void FrameComposer::DrawUpTo(BlockReader &in, std::size_t index, const SharedPtr<IProgress> &progress)
{
    if (_drawn > index + 1)
        Clear();
    const std::size_t first = _drawn;
    try {
        while (_drawn <= index) {
            if (_drawn > 0)
                Dispose(_structure.images[_drawn - 1]);
            Draw(in, _structure.images[_drawn]);
            ++_drawn;
            // Between images the canvas is whole: a cancelled request
            // leaves it for the next one.
            ReportProgress(progress, double(_drawn - first) / double(index + 1 - first));
        }
    } catch (const OperationCancelled &) {
        throw;
    } catch (...) {
        Clear();
        throw;
    }
}

void FrameComposer::Dispose(const ImageRecord &image)
{
    if (!image.control)
        return;
    const Rect r = Clip(image);
    if (r.Empty())
        return;
    const std::size_t width = r.right - r.left;
    switch (image.control->GetDisposal()) {
    case Disposal::Background:
        // Transparent black, as browsers clear it, not the background colour.
        for (std::uint32_t y = r.top; y < r.bottom; ++y)
            std::fill_n(&_canvas[std::size_t(y) * _width + r.left], width, 0u);
        break;
    case Disposal::Previous:
        for (std::uint32_t y = r.top; y < r.bottom; ++y)
            std::memcpy(&_canvas[std::size_t(y) * _width + r.left], &_saved[(y - r.top) * width], width * 4);
        break;
    default: break;
    }
}

void FrameComposer::LoadPalette(BlockReader &in, const ImageRecord &image)
{
    const std::uint8_t *table = _structure.globalTable.data();
    std::size_t entries = _structure.globalTable.size() / kColorEntrySize;
    if (image.HasLocalTable()) {
        entries = ColorTableEntries(image.packed);
        in.Seek(image.colorTableOffset);
        table = in.Span(entries * kColorEntrySize);
    }
    // Indices beyond the table draw nothing, as the transparent one.
    std::fill_n(_palette, kMostColors, 0u); // the rest stays 0
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t *rgb = table + i * kColorEntrySize;
        _palette[i] = kOpaque | std::uint32_t(rgb[0]) << 16 | std::uint32_t(rgb[1]) << 8 | rgb[2];
    }
    if (image.control && image.control->HasTransparency())
        _palette[image.control->transparentIndex] = 0;
}

void FrameComposer::DrawRow(const std::uint16_t *indices, const ImageRecord &image, const Rect &visible,
                            std::uint32_t y)
{
    const std::uint32_t row = image.top + y;
    if (row >= visible.bottom || visible.left >= visible.right)
        return;
    std::uint32_t *target = &_canvas[std::size_t(row) * _width + visible.left];
    const std::uint32_t count = visible.right - visible.left;
    for (std::uint32_t x = 0; x < count; ++x)
        if (const std::uint32_t colour = _palette[indices[x]])
            target[x] = colour;
}

void FrameComposer::Draw(BlockReader &in, const ImageRecord &image)
{
    const Rect visible = Clip(image);
    if (image.control && image.control->GetDisposal() == Disposal::Previous) {
        const std::size_t width = visible.right - visible.left;
        _saved.resize(visible.Empty() ? 0 : width * (visible.bottom - visible.top));
        for (std::uint32_t y = visible.top; y < visible.bottom && width; ++y)
            std::memcpy(&_saved[(y - visible.top) * width], &_canvas[std::size_t(y) * _width + visible.left], width * 4);
    }
    if (image.width == 0 || image.height == 0)
        return;
    LoadPalette(in, image);
    in.Seek(image.dataOffset);
    LzwDecoder lzw(in, in.Byte());
    _row.resize(image.width);
    if (!image.Interlaced()) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            lzw.Decode(_row.data(), _row.size());
            DrawRow(_row.data(), image, visible, y);
        }
        return;
    }
    for (const InterlacePass &pass : kInterlacePasses)
        for (std::uint32_t y = pass.first; y < image.height; y += pass.step) {
            lzw.Decode(_row.data(), _row.size());
            DrawRow(_row.data(), image, visible, y);
        }
}

} // namespace Brintavolex::GIF
