#include "Platform/api/Video/Context.h"

#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace Brintavolex::Platform::Video {

const char *RendererTypeText(RendererTypeEnum type)
{
    switch (type) {
    case RendererTypeEnum::OpenGL: return "OpenGL";
    case RendererTypeEnum::Direct3D9: return "Direct3D9";
    case RendererTypeEnum::Software: return "Software";
    }
    throw Exception("RendererTypeEnum: invalid value");
}

// ---- Context and its child registry ----

Context::ContextChild::ContextChild(const SharedPtr<Context> &context) : _context(context)
{
    if (!_context)
        throw Exception("Context::ContextChild: context is nullptr");
    _context->Register(*this);
}

Context::ContextChild::~ContextChild() { _context->Unregister(*this); }

void Context::Register(ContextChild &child) noexcept
{
    child._previous = _tail;
    child._next = nullptr;
    if (_tail)
        _tail->_next = &child;
    else
        _head = &child;
    _tail = &child;
    ++_childCount;
}

void Context::Unregister(ContextChild &child) noexcept
{
    if (child._previous)
        child._previous->_next = child._next;
    else
        _head = child._next;
    if (child._next)
        child._next->_previous = child._previous;
    else
        _tail = child._previous;
    child._previous = child._next = nullptr;
    --_childCount;
}

Context::~Context()
{
    if (_childCount != 0)
        BRINTAVOLEX_LOG("Context::~Context");
}

SharedPtr<Data::Image2DBase> Context::CreateHostImage2D(Data::ColorType type, std::uint32_t width,
                                                        std::uint32_t height, std::size_t minimumBytes)
{
    SharedPtr<Data::Image2DBase> image = Data::CreateImage2D(type);
    const unsigned pixelSize = Data::PixelSize(type);
    std::uint64_t rows = height;
    if (minimumBytes && width) {
        // Enough rows of the padded stride to hold minimumBytes.
        const std::uint64_t stride = (std::uint64_t(width) + 63) / 64 * 64;
        const std::uint64_t rowBytes = stride * pixelSize;
        const std::uint64_t needed = (minimumBytes + rowBytes - 1) / rowBytes;
        if (needed > rows)
            rows = needed;
    }
    image->Allocate(width, height, 0, rows);
    return image;
}

void Context::BindImage2D(const SharedPtr<Image2D> &image) { _boundImage = WeakPtr<Image2D>(image); }
void Context::UnbindImage2D() { _boundImage.Reset(); }

SharedPtr<CombinedShader> Context::CreateCombinedShader(const SharedPtr<VertexShader> &vertexShader,
                                                        const SharedPtr<PixelShader> &pixelShader)
{
    return MakeShared<CombinedShader>(Self(), vertexShader, pixelShader);
}

void Context::BindShader(const SharedPtr<PixelShader> &shader) { _boundShader = WeakPtr<PixelShader>(shader); }
void Context::UnbindShader() { _boundShader.Reset(); }

void Context::SetRenderTarget(const SharedPtr<Renderer> &renderer)
{
    _targetOffscreen.Reset();
    _targetRenderer = WeakPtr<Renderer>(renderer);
}

void Context::SetRenderTarget(const SharedPtr<OffscreenBuffer> &buffer)
{
    _targetRenderer.Reset();
    _targetOffscreen = WeakPtr<OffscreenBuffer>(buffer);
}

void Context::ResetRenderTarget()
{
    _targetRenderer.Reset();
    _targetOffscreen.Reset();
}

SharedPtr<PixelShader> Context::CreateResamplingShader(ShaderKind, Data::ColorType) { return {}; }

// ---- Windows in memory ----

bool MemoryRenderWindow::PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height)
{
    if (_failNext) {
        _failNext = false;
        return false;
    }
    _pixels.assign(pixels, pixels + std::size_t(width) * height * 4);
    _width = width;
    _height = height;
    ++_presentCount;
    return true;
}

// ---- Renderer ----

Renderer::Renderer(const SharedPtr<Context> &context, SharedPtr<RenderWindow> window)
    : ContextChild(context), _window(std::move(window))
{
}

void Renderer::getProjectionMatrix(float *) { throw Exception("getProjectionMatrix not implemented"); }
void Renderer::setProjectionMatrix(const float *) { throw Exception("setProjectionMatrix not implemented"); }
void Renderer::setProjectionMatrix(double, double, double, double)
{
    throw Exception("setProjectionMatrix not implemented");
}
void Renderer::getModelviewMatrix(float *) { throw Exception("getModelviewMatrix not implemented"); }
void Renderer::setModelviewMatrix(const float *) { throw Exception("setModelviewMatrix not implemented"); }
void Renderer::setModelviewMatrix(double, double) { throw Exception("setModelviewMatrix not implemented"); }
void Renderer::enableDepthTest() { throw Exception("enableDepthTest not implemented"); }
void Renderer::disableDepthTest() { throw Exception("disableDepthTest not implemented"); }
void Renderer::setColorMask(bool, bool, bool, bool) { throw Exception("setColorMask not implemented"); }
void Renderer::clearDepthStencil() { throw Exception("clearDepthStencil not implemented"); }

RectI32 Renderer::GetViewport() const { return GetContext().State().viewport; }

void Renderer::SetViewport(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    if (right < left)
        right = left;
    if (bottom < top)
        bottom = top;
    GetContext().State().viewport = RectI32{left, top, right, bottom};
}

void Renderer::EnableBlending() { GetContext().State().blending = true; }
void Renderer::DisableBlending() { GetContext().State().blending = false; }

void Renderer::Resize(std::uint32_t width, std::uint32_t height)
{
    if (width == _width && height == _height)
        return;
    _width = width;
    _height = height;
    _sizeChanged = true;
}

void Renderer::EndPaint() { _insideFrame = false; }

void Renderer::Translate(std::int32_t dx, std::int32_t dy)
{
    GetContext().State().offsetX += dx;
    GetContext().State().offsetY += dy;
}

void Renderer::DisableScissor() { GetContext().State().scissor = false; }

void Renderer::EnableScissor(const RectI32 &rectangle)
{
    GetContext().State().scissor = true;
    GetContext().State().scissorRect = rectangle;
}

bool Renderer::IsCompositionEnabled() const { return IsDesktopCompositionEnabled(); }

// ---- Shaders ----

void ShaderBase::CreateFromGLString(StringExpr) { throw Exception("GLSL is not supported!"); }
void ShaderBase::CreateFromHLSLString(StringExpr, StringExpr) { throw Exception("HLSL is not supported!"); }
void ShaderBase::CreateFromHLSLFile(StringExpr, StringExpr) { throw Exception("HLSL is not supported!"); }
void ShaderBase::SetUniform(const char *, std::int32_t) {}
void ShaderBase::SetUniform(const char *, float) {}

CombinedShader::CombinedShader(const SharedPtr<Context> &context, SharedPtr<VertexShader> vertexShader,
                               SharedPtr<PixelShader> pixelShader)
    : PixelShader(context), _vertexShader(std::move(vertexShader)), _pixelShader(std::move(pixelShader))
{
}

// ---- Vertex buffers ----

VertexBuffer2D::VertexBuffer2D(const SharedPtr<Context> &context, std::uint32_t quadCount)
    : ContextChild(context), _quadCount(quadCount), _vertices(std::size_t(quadCount) * 6, Vertex2D{})
{
}

void VertexBuffer2D::SetVertex(std::uint32_t index, float u, float v, float red, float green, float blue,
                               float alpha, std::int32_t x, std::int32_t y, std::int32_t z)
{
    SetVertex(index, u, v, red, green, blue, alpha, float(x), float(y), float(z));
}

void VertexBuffer2D::SetVertex(std::uint32_t index, float u, float v, float red, float green, float blue,
                               float alpha, float x, float y, float z)
{
    if (std::uint64_t(index) >= std::uint64_t(_quadCount) * 6 || index >= _vertices.size())
        throw Exception("VertexBuffer2D::SetVertex: index out of range");
    Vertex2D &vertex = _vertices[index];
    vertex.u = u;
    vertex.v = v;
    vertex.r = ColorComponentToByte(red);
    vertex.g = ColorComponentToByte(green);
    vertex.b = ColorComponentToByte(blue);
    vertex.a = ColorComponentToByte(alpha);
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
}

void VertexBuffer2D::SetQuad(std::uint32_t quadIndex, float x0, float y0, float x1, float y1, float u0, float v0,
                             float u1, float v1, float red, float green, float blue, float alpha)
{
    if (quadIndex >= _quadCount)
        throw Exception("VertexBuffer2D::SetQuad: quad index out of range");
    const std::uint32_t i = quadIndex * 6;
    // 0-1-2 and 3-4-5 share the diagonal from top right to bottom left.
    SetVertex(i + 0, u0, v0, red, green, blue, alpha, x0, y0, 0.0f);
    SetVertex(i + 1, u1, v0, red, green, blue, alpha, x1, y0, 0.0f);
    SetVertex(i + 2, u0, v1, red, green, blue, alpha, x0, y1, 0.0f);
    SetVertex(i + 3, u1, v0, red, green, blue, alpha, x1, y0, 0.0f);
    SetVertex(i + 4, u1, v1, red, green, blue, alpha, x1, y1, 0.0f);
    SetVertex(i + 5, u0, v1, red, green, blue, alpha, x0, y1, 0.0f);
}

void VertexBuffer2D::RenderAll()
{
    for (std::uint32_t quad = 0; quad < _quadCount; ++quad)
        GetContext().RenderVertexBufferRange(*this, quad);
}

void VertexBuffer2D::Render(std::uint32_t quadIndex)
{
    if (quadIndex >= _quadCount)
        throw Exception("VertexBuffer2D::Render: quad index out of range");
    GetContext().RenderVertexBufferRange(*this, quadIndex);
}

void VertexBuffer2D::Release()
{
    _vertices.clear();
    _vertices.shrink_to_fit();
    _quadCount = 0;
}

// ---- Offscreen buffers ----

OffscreenBuffer::OffscreenBuffer(const SharedPtr<Context> &context, std::uint32_t width, std::uint32_t height)
    : ContextChild(context), _width(width), _height(height), _pixels(std::size_t(width) * height * 4)
{
}

SharedPtr<Image2D> CreateFromMemory(const SharedPtr<Context> &context, const SharedPtr<Data::Image2DBase> &image,
                                    bool mipMap)
{
    if (!context)
        throw Exception("CreateFromMemory: pContext==nullptr");
    SharedPtr<Image2D> texture = context->CreateImage2D();
    texture->CreateFromMemory(image, mipMap);
    return texture;
}

} // namespace Brintavolex::Platform::Video
