#include "GUI/api/Drawing.h"

#include "GUI/api/Font.h"

namespace Brintavolex::GUI {

using Platform::Video::Context;

void QuadBatch::Clear()
{
    _rects.clear();
    _glyphs.clear();
    _font.Reset();
    _image.Reset();
}

void QuadBatch::AddImage(const Rect &rect, const SharedPtr<Data::Image2DBase> &image, const Color &tint)
{
    if (!image || rect.x1 <= rect.x0 || rect.y1 <= rect.y0)
        return;
    _image = image;
    _imageQuad = Quad{float(rect.x0), float(rect.y0), float(rect.x1), float(rect.y1), 0, 0, 1, 1, tint};
}

void QuadBatch::AddRect(const Rect &rect, const Color &color)
{
    if (rect.x1 <= rect.x0 || rect.y1 <= rect.y0)
        return;
    _rects.push_back(Quad{float(rect.x0), float(rect.y0), float(rect.x1), float(rect.y1), 0, 0, 0, 0, color});
}

void QuadBatch::AddFrame(const Rect &r, std::int32_t w, const Color &color)
{
    AddRect(Rect{r.x0, r.y0, r.x1, r.y0 + w}, color);
    AddRect(Rect{r.x0, r.y1 - w, r.x1, r.y1}, color);
    AddRect(Rect{r.x0, r.y0 + w, r.x0 + w, r.y1 - w}, color);
    AddRect(Rect{r.x1 - w, r.y0 + w, r.x1, r.y1 - w}, color);
}

std::int32_t QuadBatch::AddText(Font &font, std::int32_t x, std::int32_t y, StringExpr text, const Color &color)
{
    _font = font.SharedFromThis<Font>();
    const float aw = float(font.AtlasWidth()), ah = float(font.AtlasHeight());
    for (std::size_t i = 0; i < text.Length(); ++i) {
        const Font::GlyphPlacement &g = font.Glyph(Font::GlyphCode(text, i));
        if (g.width && g.height) {
            const float gx = float(x + g.left), gy = float(y + g.top);
            _glyphs.push_back(Quad{gx, gy, gx + float(g.width), gy + float(g.height), float(g.atlasX) / aw,
                                   float(g.atlasY) / ah, float(g.atlasX + g.width) / aw,
                                   float(g.atlasY + g.height) / ah, color});
        }
        x += g.advance;
    }
    return x;
}

void QuadBatch::Upload(const SharedPtr<Context> &context)
{
    Release();
    if (!context)
        return;
    auto fill = [&](const std::vector<Quad> &quads) {
        SharedPtr<Platform::Video::VertexBuffer2D> buffer =
            context->CreateVertexBuffer2D(static_cast<std::uint32_t>(quads.size()));
        for (std::uint32_t i = 0; i < quads.size(); ++i) {
            const Quad &q = quads[i];
            buffer->SetQuad(i, q.x0, q.y0, q.x1, q.y1, q.u0, q.v0, q.u1, q.v1, q.color.r, q.color.g, q.color.b,
                            q.color.a);
        }
        return buffer;
    };
    if (!_rects.empty())
        _solid = fill(_rects);
    if (_image) {
        _imageQuads = fill(std::vector<Quad>{_imageQuad});
        _imageTexture = Platform::Video::CreateFromMemory(context, _image);
    }
    if (!_glyphs.empty() && _font) {
        _text = fill(_glyphs);
        _fontTexture = _font->Texture(context);
    }
    _builtFor = context.Get();
}

void QuadBatch::Draw()
{
    if (_solid) {
        Context &context = _solid->GetContext();
        context.UnbindImage2D();
        context.UnbindShader();
        _solid->RenderAll();
    }
    if (_imageQuads && _imageTexture) {
        Context &context = _imageQuads->GetContext();
        context.UnbindShader();
        context.BindImage2D(_imageTexture);
        _imageQuads->RenderAll();
        context.UnbindImage2D();
    }
    if (_text && _fontTexture) {
        Context &context = _text->GetContext();
        context.UnbindShader();
        context.BindImage2D(_fontTexture);
        _text->RenderAll();
        context.UnbindImage2D();
    }
}

bool QuadBatch::Release()
{
    _solid.Reset();
    _text.Reset();
    _fontTexture.Reset();
    _imageQuads.Reset();
    _imageTexture.Reset();
    _builtFor = nullptr;
    return true;
}

} // namespace Brintavolex::GUI
