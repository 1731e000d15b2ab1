#pragma once

// Text is drawn from glyph textures. Glyphs are rasterised once per font by
// the platform's rasteriser (GDI on Windows, FreeType elsewhere) into one
// atlas; layout always uses the rasteriser's per-glyph advances.

#include "GUI/api/Style.h"
#include "Root/api/String.h"
#include "Platform/api/Video/Context.h"
#include "Root/api/SharedPtr.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Brintavolex::GUI {

// One glyph of the Windows-1252 set as the rasteriser returns it.
struct GlyphBitmap {
    // ABC widths: the advance is a + b + c; b is the black-box width.
    std::int32_t a = 0, b = 0, c = 0;
    // Top-left of the coverage bitmap relative to the pen position and the
    // top of the line.
    std::int32_t left = 0, top = 0;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> coverage; // width x height, 0..255
};

class IGlyphRasterizer : public EnableSharedPtrFromThis {
public:
    virtual std::int32_t Ascent() const = 0;
    virtual std::int32_t Descent() const = 0;
    virtual std::int32_t LineHeight() const = 0;
    // code is a Windows-1252 byte; false when the font has no such glyph.
    virtual bool RasterizeGlyph(std::uint8_t code, GlyphBitmap &glyph) = 0;
};

// The platform's rasteriser for a face at a pixel height; throws Exception
// when no font can be opened.
SharedPtr<IGlyphRasterizer> CreateGlyphRasterizer(const FontDescription &description, std::int32_t pixelHeight);

class Font : public EnableSharedPtrFromThis {
public:
    struct GlyphPlacement {
        std::int32_t advance = 0;
        std::int32_t left = 0, top = 0;
        std::uint32_t width = 0, height = 0;
        std::uint32_t atlasX = 0, atlasY = 0;
    };

    // Rasterises every glyph of the Windows-1252 set at description's height x scale.
    Font(const FontDescription &description, double scale);
    explicit Font(SharedPtr<IGlyphRasterizer> rasterizer);

    std::int32_t LineHeight() const noexcept { return _lineHeight; }
    std::int32_t Ascent() const noexcept { return _ascent; }
    std::int32_t TextWidth(StringExpr text) const;
    const GlyphPlacement &Glyph(std::uint8_t code) const noexcept { return _glyphs[code]; }
    // Byte of a text unit in the glyph set.
    static std::uint8_t GlyphCode(StringExpr text, std::size_t index) noexcept;

    // The atlas: white with the coverage as alpha.
    const SharedPtr<Data::Image2DBase> &Atlas() const noexcept { return _atlas; }
    std::uint32_t AtlasWidth() const noexcept { return _atlasWidth; }
    std::uint32_t AtlasHeight() const noexcept { return _atlasHeight; }
    // The atlas texture on context, created on first use.
    SharedPtr<Platform::Video::Image2D> Texture(const SharedPtr<Platform::Video::Context> &context);
    bool DeleteContextObjects();

private:
    void Build(IGlyphRasterizer &rasterizer);

    std::array<GlyphPlacement, 256> _glyphs{};
    std::int32_t _lineHeight = 0, _ascent = 0;
    SharedPtr<Data::Image2DBase> _atlas;
    std::uint32_t _atlasWidth = 0, _atlasHeight = 0;
    SharedPtr<Platform::Video::Image2D> _texture;
};

} // namespace Brintavolex::GUI
