#pragma once

// A control's render objects: flat rectangles and text quads collected while
// building and uploaded into vertex buffers of the panel's context.

#include "GUI/api/Control.h"
#include "GUI/api/Style.h"
#include "Data/api/Image2D.h"
#include "Platform/api/Video/Context.h"

#include <vector>

namespace Brintavolex::GUI {

class Font;

class QuadBatch {
public:
    void Clear();
    void AddRect(const Rect &rect, const Color &color);
    // Outline of width pixels inside rect.
    void AddFrame(const Rect &rect, std::int32_t width, const Color &color);
    // Text with its line top at (x, y); returns the x after the text.
    std::int32_t AddText(Font &font, std::int32_t x, std::int32_t y, StringExpr text, const Color &color);
    // A picture stretched over rect, drawn between the flat rectangles and
    // the text; a batch holds one (a later call replaces it).
    void AddImage(const Rect &rect, const SharedPtr<Data::Image2DBase> &image, const Color &tint = Color{1, 1, 1, 1});
    bool HasImage() const noexcept { return static_cast<bool>(_image); }
    // Uploads the collected quads into vertex buffers of context.
    void Upload(const SharedPtr<Platform::Video::Context> &context);
    void Draw();
    // Drops the device objects; the collected quads stay.
    bool Release();
    bool HasDeviceObjects() const noexcept { return _solid || _text || _imageQuads; }
    std::size_t RectCount() const noexcept { return _rects.size(); }
    std::size_t GlyphCount() const noexcept { return _glyphs.size(); }
    // The context the device objects belong to (null when released).
    const Platform::Video::Context *BuiltFor() const noexcept { return _builtFor; }

private:
    struct Quad {
        float x0, y0, x1, y1, u0, v0, u1, v1;
        Color color;
    };
    std::vector<Quad> _rects, _glyphs;
    SharedPtr<Font> _font;
    SharedPtr<Data::Image2DBase> _image;
    Quad _imageQuad{};
    SharedPtr<Platform::Video::VertexBuffer2D> _imageQuads;
    SharedPtr<Platform::Video::Image2D> _imageTexture;
    SharedPtr<Platform::Video::VertexBuffer2D> _solid, _text;
    SharedPtr<Platform::Video::Image2D> _fontTexture;
    const Platform::Video::Context *_builtFor = nullptr;
};

} // namespace Brintavolex::GUI
