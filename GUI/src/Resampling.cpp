#include "GUI/api/Resampling.h"

#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Brintavolex::GUI {

using Platform::Video::Context;
using Platform::Video::RectI32;

const char *Resampling::ModeText(EnumResamplingMode mode)
{
    switch (mode) {
    case EnumResamplingMode::Cubic: return "Cubic";
    case EnumResamplingMode::Linear: return "Linear";
    case EnumResamplingMode::Nearest: return "Nearest";
    case EnumResamplingMode::Area: return "Area";
    case EnumResamplingMode::MipMapBilinear: return "MipMap Bilinear";
    case EnumResamplingMode::MipMapTrilinear: return "MipMap Trilinear";
    }
    throw Exception("Resampling::EnumResamplingMode: invalid value");
}

Resampling::EnumResamplingMode Resampling::ModeFromText(StringExpr text)
{
    for (int i = 0; i < 6; ++i)
        if (text == StringExpr(ModeText(EnumResamplingMode(i))))
            return EnumResamplingMode(i);
    throw Exception(String("Resampling::EnumResamplingMode: unknown mode \"") + text + "\"");
}

std::int32_t Resampling::AreaUnrollCount(double imageWidth, double imageHeight, double destinationWidth,
                                         double destinationHeight)
{
    const double ratio = std::max(imageWidth / std::max(destinationWidth, 1.0),
                                  imageHeight / std::max(destinationHeight, 1.0));
    if (!(ratio < 4096.0))
        return 4096;
    auto n = static_cast<std::int32_t>(ratio);
    if (double(n) == ratio)
        --n;
    // A program with no step at all would sample nothing for enlargements.
    return std::max(n, 1);
}

bool Resampling::DeleteContextObjects()
{
    _quad.Reset();
    _ownShaders.clear();
    _cubic.Reset();
    _areaLoop.Reset();
    _areaUnrolled.clear();
    _areaLoopRefused = false;
    _context = nullptr;
    return true;
}

const SharedPtr<Platform::Video::PixelShader> &Resampling::OwnShader(Context &context, EnumResamplingMode mode,
                                                                     Data::ColorType type)
{
    using Platform::Video::ShaderKind;
    static constexpr ShaderKind kinds[6] = {ShaderKind::Cubic, ShaderKind::Linear,         ShaderKind::Nearest,
                                            ShaderKind::Area,  ShaderKind::MipMapBilinear, ShaderKind::MipMapTrilinear};
    // A back end without shaders of its own is asked once per mode and type.
    const auto key = std::make_pair(mode, type);
    auto found = _ownShaders.find(key);
    if (found == _ownShaders.end())
        found = _ownShaders.emplace(key, context.CreateResamplingShader(kinds[int(mode)], type)).first;
    return found->second;
}

bool Resampling::Paint(const SharedPtr<Context> &context, const SharedPtr<Platform::Video::Image2D> &image,
                       const RectI32 &destination, std::int32_t rotation, EnumResamplingMode mode, const RectI32 &clip,
                       bool mirrored)
{
    if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270) {
        BRINTAVOLEX_LOG("Resampling::Paint");
        return false;
    }
    if (!context || !image)
        throw Exception("Resampling::Paint: context or image is nullptr");
    if (_context != context.Get()) {
        DeleteContextObjects();
        _context = context.Get();
    }
    const double dw = double(destination.right) - destination.left;
    const double dh = double(destination.bottom) - destination.top;
    if (dw <= 0 || dh <= 0 || image->Width() == 0 || image->Height() == 0)
        return true;
    const RectI32 cut{std::max(destination.left, clip.left), std::max(destination.top, clip.top),
                      std::min(destination.right, clip.right), std::min(destination.bottom, clip.bottom)};
    if (cut.left >= cut.right || cut.top >= cut.bottom)
        return true;

    // Texture corners of the whole destination: top left, top right, bottom
    // right, bottom left (left and right exchanged for a mirror), turned by
    // one corner per 90 degrees. The quad does it all: no pixel is copied.
    const double umax = double(image->Width()) / image->AllocatedWidth();
    const double vmax = double(image->Height()) / image->AllocatedHeight();
    const double left = mirrored ? umax : 0, right = mirrored ? 0 : umax;
    const double corners[4][2] = {{left, 0}, {right, 0}, {right, vmax}, {left, vmax}};
    const int shift = rotation / 90;
    auto corner = [&](int screenCorner, int axis) { return corners[(screenCorner - shift + 4) % 4][axis]; };
    // The affine map from window pixels to texture coordinates; a cut side
    // moves its coordinate in proportion to the cut.
    auto tc = [&](double x, double y, int axis) {
        const double sx = (x - destination.left) / dw, sy = (y - destination.top) / dh;
        return corner(0, axis) + sx * (corner(1, axis) - corner(0, axis)) + sy * (corner(3, axis) - corner(0, axis));
    };
    if (!_quad)
        _quad = context->CreateVertexBuffer2D(1);
    const double xs[4] = {double(cut.left), double(cut.right), double(cut.right), double(cut.left)};
    const double ys[4] = {double(cut.top), double(cut.top), double(cut.bottom), double(cut.bottom)};
    // Triangles top left, top right, bottom left and top right, bottom right, bottom left.
    const int order[6] = {0, 1, 3, 1, 2, 3};
    for (int i = 0; i < 6; ++i) {
        const int k = order[i];
        _quad->SetVertex(std::uint32_t(i), float(tc(xs[k], ys[k], 0)), float(tc(xs[k], ys[k], 1)), 1.0f, 1.0f, 1.0f,
                         1.0f, float(xs[k]), float(ys[k]), 0.0f);
    }

    const bool turned = rotation == 90 || rotation == 270;
    context->BindImage2D(image);
    if (const SharedPtr<Platform::Video::PixelShader> &shader = OwnShader(*context, mode, image->PixelType())) {
        if (mode == EnumResamplingMode::MipMapBilinear || mode == EnumResamplingMode::MipMapTrilinear)
            image->EnsureMipMap();
        context->BindShader(shader);
    } else {
        switch (mode) {
        case EnumResamplingMode::Linear:
            image->SetSamplingModeLinear();
            context->UnbindShader();
            break;
        case EnumResamplingMode::Nearest:
            image->SetSamplingModeNearest();
            context->UnbindShader();
            break;
        case EnumResamplingMode::MipMapBilinear:
        case EnumResamplingMode::MipMapTrilinear:
            image->EnsureMipMap();
            if (mode == EnumResamplingMode::MipMapBilinear)
                image->SetSamplingModeMipMapBilinear();
            else
                image->SetSamplingModeMipMapTrilinear();
            context->UnbindShader();
            break;
        case EnumResamplingMode::Cubic:
            if (!_cubic) {
                _cubic = context->CreatePixelShader();
                _cubic->CreateFromGLString(CubicGLSL());
            }
            _cubic->SetUniform("bufSizeX", float(image->AllocatedWidth()));
            _cubic->SetUniform("bufSizeY", float(image->AllocatedHeight()));
            context->BindShader(_cubic);
            break;
        case EnumResamplingMode::Area: {
            const double w = turned ? dh : dw, h = turned ? dw : dh;
            SharedPtr<Platform::Video::PixelShader> program;
            if (!_areaLoopRefused && !_areaLoop) {
                try {
                    _areaLoop = context->CreatePixelShader();
                    _areaLoop->CreateFromGLString(AreaLoopGLSL());
                } catch (const std::exception &) {
                    // Drivers without loops get the unrolled form.
                    _areaLoop.Reset();
                    _areaLoopRefused = true;
                }
            }
            if (_areaLoop) {
                program = _areaLoop;
            } else {
                const std::int32_t n = AreaUnrollCount(image->Width(), image->Height(), w, h);
                SharedPtr<Platform::Video::PixelShader> &unrolled = _areaUnrolled[n];
                if (!unrolled) {
                    unrolled = context->CreatePixelShader();
                    unrolled->CreateFromGLString(AreaUnrolledGLSL(n));
                }
                program = unrolled;
            }
            program->SetUniform("bufSizeX", float(image->AllocatedWidth()));
            program->SetUniform("bufSizeY", float(image->AllocatedHeight()));
            program->SetUniform("TCOffsetX", float(image->Width() / (2.0 * image->AllocatedWidth() * w)));
            program->SetUniform("TCOffsetY", float(image->Height() / (2.0 * image->AllocatedHeight() * h)));
            context->BindShader(program);
            break;
        }
        }
    }
    _quad->Render(0);
    context->UnbindShader();
    context->UnbindImage2D();
    return true;
}

// ---- program texts (GLSL 1.10 and HLSL ps_3_0) ----

const char *Resampling::CubicGLSL()
{
    return "uniform sampler2D image;\n"
           "uniform float bufSizeX;\n"
           "uniform float bufSizeY;\n"
           "vec4 tap(float x, float y)\n"
           "{\n"
           "    return texture2D(image, vec2((clamp(x, 0.0, bufSizeX - 1.0) + 0.5) / bufSizeX,\n"
           "                                 (clamp(y, 0.0, bufSizeY - 1.0) + 0.5) / bufSizeY));\n"
           "}\n"
           "vec4 cubic(vec4 p0, vec4 p1, vec4 p2, vec4 p3, float t)\n"
           "{\n"
           "    return p1 + 0.5 * t * (p2 - p0 + t * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3 + t * (3.0 * (p1 - p2) + p3 - p0)));\n"
           "}\n"
           "vec4 row(vec2 f, float t, float y)\n"
           "{\n"
           "    return cubic(tap(f.x - 1.0, y), tap(f.x, y), tap(f.x + 1.0, y), tap(f.x + 2.0, y), t);\n"
           "}\n"
           "void main()\n"
           "{\n"
           "    vec2 pos = gl_TexCoord[0].xy * vec2(bufSizeX, bufSizeY) - 0.5;\n"
           "    vec2 f = floor(pos);\n"
           "    vec2 t = pos - f;\n"
           "    vec4 c = cubic(row(f, t.x, f.y - 1.0), row(f, t.x, f.y), row(f, t.x, f.y + 1.0), row(f, t.x, f.y + 2.0), t.y);\n"
           "    gl_FragColor = clamp(c, 0.0, 1.0);\n"
           "}\n";
}

namespace {
const char *AreaHead = "uniform sampler2D image;\n"
                       "uniform float bufSizeX;\n"
                       "uniform float bufSizeY;\n"
                       "uniform float TCOffsetX;\n"
                       "uniform float TCOffsetY;\n"
                       "vec4 tap(float x, float y)\n"
                       "{\n"
                       "    return texture2D(image, vec2((clamp(x, 0.0, bufSizeX - 1.0) + 0.5) / bufSizeX,\n"
                       "                                 (clamp(y, 0.0, bufSizeY - 1.0) + 0.5) / bufSizeY));\n"
                       "}\n";
} // namespace

const char *Resampling::AreaLoopGLSL()
{
    static const String text = String(AreaHead) +
                               "void main()\n"
                               "{\n"
                               "    vec2 tc = gl_TexCoord[0].xy;\n"
                               "    float x0 = (tc.x - TCOffsetX) * bufSizeX, x1 = (tc.x + TCOffsetX) * bufSizeX;\n"
                               "    float y0 = (tc.y - TCOffsetY) * bufSizeY, y1 = (tc.y + TCOffsetY) * bufSizeY;\n"
                               "    vec4 sum = vec4(0.0);\n"
                               "    float row = floor(y0);\n"
                               "    float wy = min(1.0 - (y0 - row), y1 - y0);\n"
                               "    while (row < y1) {\n"
                               "        vec4 line = vec4(0.0);\n"
                               "        float col = floor(x0);\n"
                               "        float wx = min(1.0 - (x0 - col), x1 - x0);\n"
                               "        while (col < x1) {\n"
                               "            line += wx * tap(col, row);\n"
                               "            col += 1.0;\n"
                               "            wx = clamp(x1 - col, 0.0, 1.0);\n"
                               "        }\n"
                               "        sum += wy * line;\n"
                               "        row += 1.0;\n"
                               "        wy = clamp(y1 - row, 0.0, 1.0);\n"
                               "    }\n"
                               "    gl_FragColor = sum / ((x1 - x0) * (y1 - y0));\n"
                               "}\n";
    return text.Narrow();
}

String Resampling::AreaUnrolledGLSL(std::int32_t n)
{
    n = std::max(n, 1);
    String text = String(AreaHead) + "float x0, x1, y0, y1;\n"
                                     "vec4 line(float row)\n"
                                     "{\n"
                                     "    float col = floor(x0);\n"
                                     "    float wx = min(1.0 - (x0 - col), x1 - x0);\n"
                                     "    vec4 sum = wx * tap(col, row);\n";
    for (std::int32_t i = 0; i < n; ++i)
        text += "    col += 1.0; wx = clamp(x1 - col, 0.0, 1.0); sum += wx * tap(col, row);\n";
    text += "    return sum;\n"
            "}\n"
            "void main()\n"
            "{\n"
            "    vec2 tc = gl_TexCoord[0].xy;\n"
            "    x0 = (tc.x - TCOffsetX) * bufSizeX; x1 = (tc.x + TCOffsetX) * bufSizeX;\n"
            "    y0 = (tc.y - TCOffsetY) * bufSizeY; y1 = (tc.y + TCOffsetY) * bufSizeY;\n"
            "    float row = floor(y0);\n"
            "    float wy = min(1.0 - (y0 - row), y1 - y0);\n"
            "    vec4 sum = wy * line(row);\n";
    for (std::int32_t i = 0; i < n; ++i)
        text += "    row += 1.0; wy = clamp(y1 - row, 0.0, 1.0); sum += wy * line(row);\n";
    text += "    gl_FragColor = sum / ((x1 - x0) * (y1 - y0));\n"
            "}\n";
    return text;
}

const char *Resampling::CubicHLSL()
{
    return "sampler2D image : register(s0);\n"
           "float bufSizeX;\n"
           "float bufSizeY;\n"
           "float4 tap(float x, float y)\n"
           "{\n"
           "    return tex2Dlod(image, float4((clamp(x, 0, bufSizeX - 1) + 0.5) / bufSizeX,\n"
           "                                  (clamp(y, 0, bufSizeY - 1) + 0.5) / bufSizeY, 0, 0));\n"
           "}\n"
           "float4 cubic(float4 p0, float4 p1, float4 p2, float4 p3, float t)\n"
           "{\n"
           "    return p1 + 0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));\n"
           "}\n"
           "float4 row(float2 f, float t, float y)\n"
           "{\n"
           "    return cubic(tap(f.x - 1, y), tap(f.x, y), tap(f.x + 1, y), tap(f.x + 2, y), t);\n"
           "}\n"
           "float4 main(float2 tc : TEXCOORD0) : COLOR0\n"
           "{\n"
           "    float2 pos = tc * float2(bufSizeX, bufSizeY) - 0.5;\n"
           "    float2 f = floor(pos);\n"
           "    float2 t = pos - f;\n"
           "    return saturate(cubic(row(f, t.x, f.y - 1), row(f, t.x, f.y), row(f, t.x, f.y + 1), row(f, t.x, f.y + 2), t.y));\n"
           "}\n";
}

const char *Resampling::AreaLoopHLSL()
{
    return "sampler2D image : register(s0);\n"
           "float bufSizeX;\n"
           "float bufSizeY;\n"
           "float TCOffsetX;\n"
           "float TCOffsetY;\n"
           "float4 tap(float x, float y)\n"
           "{\n"
           "    return tex2Dlod(image, float4((clamp(x, 0, bufSizeX - 1) + 0.5) / bufSizeX,\n"
           "                                  (clamp(y, 0, bufSizeY - 1) + 0.5) / bufSizeY, 0, 0));\n"
           "}\n"
           "float4 main(float2 tc : TEXCOORD0) : COLOR0\n"
           "{\n"
           "    float x0 = (tc.x - TCOffsetX) * bufSizeX, x1 = (tc.x + TCOffsetX) * bufSizeX;\n"
           "    float y0 = (tc.y - TCOffsetY) * bufSizeY, y1 = (tc.y + TCOffsetY) * bufSizeY;\n"
           "    float4 sum = 0;\n"
           "    float row = floor(y0);\n"
           "    float wy = min(1 - (y0 - row), y1 - y0);\n"
           "    [loop] while (row < y1) {\n"
           "        float4 line = 0;\n"
           "        float col = floor(x0);\n"
           "        float wx = min(1 - (x0 - col), x1 - x0);\n"
           "        [loop] while (col < x1) {\n"
           "            line += wx * tap(col, row);\n"
           "            col += 1;\n"
           "            wx = clamp(x1 - col, 0, 1);\n"
           "        }\n"
           "        sum += wy * line;\n"
           "        row += 1;\n"
           "        wy = clamp(y1 - row, 0, 1);\n"
           "    }\n"
           "    return sum / ((x1 - x0) * (y1 - y0));\n"
           "}\n";
}

// ---- block copy ----

bool BitBlit(std::uint8_t *bits, std::int64_t pitch, std::int32_t width, std::int32_t height,
             const RectI32 &rectangle, std::int32_t dx, std::int32_t dy, BitBlitFunc func)
{
    if (reinterpret_cast<std::uintptr_t>(bits) % 4 != 0) {
        BRINTAVOLEX_LOG("pBits%4!=0");
        return false;
    }
    if (pitch % 4 != 0) {
        BRINTAVOLEX_LOG("Pitch%4!=0");
        return false;
    }
    if (func != BitBlitFunc::Copy) {
        // Blending in place would read pixels it has already written.
        BRINTAVOLEX_LOG("BitBlit: invalid Func");
        return false;
    }
    // Source: the rectangle inside the buffer; destination: it moved by (dx, dy), inside the buffer.
    std::int64_t x0 = std::max<std::int64_t>(rectangle.left, 0), y0 = std::max<std::int64_t>(rectangle.top, 0);
    std::int64_t x1 = std::min<std::int64_t>(rectangle.right, width), y1 = std::min<std::int64_t>(rectangle.bottom, height);
    x0 = std::max<std::int64_t>(x0, std::int64_t(0) - dx);
    y0 = std::max<std::int64_t>(y0, std::int64_t(0) - dy);
    x1 = std::min<std::int64_t>(x1, std::int64_t(width) - dx);
    y1 = std::min<std::int64_t>(y1, std::int64_t(height) - dy);
    if (x0 >= x1 || y0 >= y1)
        return true;
    const std::size_t rowBytes = std::size_t(x1 - x0) * 4;
    // Rows bottom-up when moving down, so that no source row is overwritten first;
    // within a row memmove picks the pixel order.
    if (dy > 0) {
        for (std::int64_t y = y1 - 1; y >= y0; --y)
            std::memmove(bits + (y + dy) * pitch + (x0 + dx) * 4, bits + y * pitch + x0 * 4, rowBytes);
    } else {
        for (std::int64_t y = y0; y < y1; ++y)
            std::memmove(bits + (y + dy) * pitch + (x0 + dx) * 4, bits + y * pitch + x0 * 4, rowBytes);
    }
    return true;
}

} // namespace Brintavolex::GUI
