#include "GUI/api/Font.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Brintavolex::GUI {

Font::Font(const FontDescription &description, double scale)
{
    const double s = scale > 0.0 ? scale : 1.0;
    const auto height = static_cast<std::int32_t>(std::lround(description.pixelHeight * s));
    SharedPtr<IGlyphRasterizer> rasterizer = CreateGlyphRasterizer(description, std::max(height, 1));
    Build(*rasterizer);
}

Font::Font(SharedPtr<IGlyphRasterizer> rasterizer)
{
    if (!rasterizer)
        throw Exception("Font::Font: rasterizer is nullptr");
    Build(*rasterizer);
}

std::uint8_t Font::GlyphCode(StringExpr text, std::size_t index) noexcept
{
    const std::uint32_t unit = text.Unit(index);
    return text.IsWide() ? UTF16ToWindows1252(static_cast<char16_t>(unit)) : static_cast<std::uint8_t>(unit);
}

std::int32_t Font::TextWidth(StringExpr text) const
{
    std::int32_t width = 0;
    for (std::size_t i = 0; i < text.Length(); ++i)
        width += _glyphs[GlyphCode(text, i)].advance;
    return width;
}

void Font::Build(IGlyphRasterizer &rasterizer)
{
    _lineHeight = rasterizer.LineHeight();
    _ascent = rasterizer.Ascent();
    GlyphBitmap bitmaps[256];
    std::uint32_t maxHeight = 1;
    std::uint64_t area = 0;
    for (int code = 32; code < 256; ++code) {
        GlyphBitmap &g = bitmaps[code];
        if (!rasterizer.RasterizeGlyph(static_cast<std::uint8_t>(code), g))
            g = GlyphBitmap{};
        if (g.coverage.size() != std::size_t(g.width) * g.height)
            throw Exception("Font::Build: glyph bitmap size mismatch");
        maxHeight = std::max(maxHeight, g.height);
        area += std::uint64_t(g.width + 1) * (g.height + 1);
    }
    // Rows of glyphs in an atlas about as wide as it is high.
    const auto side = static_cast<std::uint32_t>(std::sqrt(double(area))) + maxHeight;
    std::uint32_t width = 64;
    while (width < side)
        width *= 2;
    std::uint32_t x = 0, y = 0, rowHeight = 0;
    for (int code = 32; code < 256; ++code) {
        const GlyphBitmap &g = bitmaps[code];
        GlyphPlacement &p = _glyphs[code];
        p.advance = g.a + g.b + g.c;
        p.left = g.left;
        p.top = g.top;
        p.width = g.width;
        p.height = g.height;
        if (!g.width || !g.height)
            continue;
        if (x + g.width + 1 > width) {
            x = 0;
            y += rowHeight + 1;
            rowHeight = 0;
        }
        p.atlasX = x;
        p.atlasY = y;
        x += g.width + 1;
        rowHeight = std::max(rowHeight, g.height);
    }
    const std::uint32_t height = std::max<std::uint32_t>(y + rowHeight + 1, 1);
    _atlasWidth = width;
    _atlasHeight = height;
    _atlas = Data::CreateImage2D(Data::ColorType::BGRAUInt8);
    _atlas->Allocate(width, height);
    auto lock = _atlas->Lock<Data::ColorBGRA<std::uint8_t>>();
    for (std::uint64_t row = 0; row < lock.Rows(); ++row) {
        Data::ColorBGRA<std::uint8_t> *line = lock.Row(row);
        for (std::uint64_t col = 0; col < lock.Stride(); ++col)
            line[col] = Data::ColorBGRA<std::uint8_t>{255, 255, 255, 0};
    }
    for (int code = 32; code < 256; ++code) {
        const GlyphBitmap &g = bitmaps[code];
        const GlyphPlacement &p = _glyphs[code];
        for (std::uint32_t gy = 0; gy < g.height; ++gy)
            for (std::uint32_t gx = 0; gx < g.width; ++gx)
                lock(p.atlasX + gx, p.atlasY + gy).a = g.coverage[std::size_t(gy) * g.width + gx];
    }
}

SharedPtr<Platform::Video::Image2D> Font::Texture(const SharedPtr<Platform::Video::Context> &context)
{
    if (_texture && &_texture->GetContext() == context.Get())
        return _texture;
    _texture = Platform::Video::CreateFromMemory(context, _atlas);
    return _texture;
}

bool Font::DeleteContextObjects()
{
    _texture.Reset();
    return true;
}

} // namespace Brintavolex::GUI
