#pragma once

// Draws an image as one textured quad at any zoom and in steps of 90
// degrees, with the sampling method of the mode in force.

#include "Interface/api/SettingEnums.h"
#include "Root/api/String.h"
#include "Platform/api/Video/Context.h"

#include <cstdint>
#include <map>
#include <utility>

namespace Brintavolex::GUI {

class Resampling {
public:
    // The setting's enumeration, shared with the settings' text conversions.
    using EnumResamplingMode = Brintavolex::Resampling::EnumResamplingMode;
    // "Cubic", "Linear", "Nearest", "Area", "MipMap Bilinear", "MipMap Trilinear".
    static const char *ModeText(EnumResamplingMode mode);
    // Throws Exception for any other text.
    static EnumResamplingMode ModeFromText(StringExpr text);

    // destination: left, top, right, bottom in window pixels; clip: the
    // view's visible rectangle; rotation 0, 90, 180 or 270 degrees clockwise,
    // applied after a left-right mirror of the image when mirrored.
    // False (after the check "Resampling::Paint" was logged) for another rotation.
    bool Paint(const SharedPtr<Platform::Video::Context> &context, const SharedPtr<Platform::Video::Image2D> &image,
               const Platform::Video::RectI32 &destination, std::int32_t rotation, EnumResamplingMode mode,
               const Platform::Video::RectI32 &clip, bool mirrored = false);
    bool DeleteContextObjects();

    // Copies of the column and row steps of the unrolled area program: the
    // integer part of the reduction, one less when it is whole, at least 1.
    static std::int32_t AreaUnrollCount(double imageWidth, double imageHeight, double destinationWidth,
                                        double destinationHeight);
    // Program texts for the hardware back ends.
    static const char *CubicGLSL();
    static const char *AreaLoopGLSL();
    static String AreaUnrolledGLSL(std::int32_t n);
    static const char *CubicHLSL();
    static const char *AreaLoopHLSL();

private:
    SharedPtr<Platform::Video::VertexBuffer2D> _quad;
    // The back end's own shader of a mode for a pixel type, or null.
    const SharedPtr<Platform::Video::PixelShader> &OwnShader(Platform::Video::Context &context, EnumResamplingMode mode,
                                                             Data::ColorType type);

    std::map<std::pair<EnumResamplingMode, Data::ColorType>, SharedPtr<Platform::Video::PixelShader>> _ownShaders;
    SharedPtr<Platform::Video::PixelShader> _cubic, _areaLoop;
    std::map<std::int32_t, SharedPtr<Platform::Video::PixelShader>> _areaUnrolled;
    bool _areaLoopRefused = false;
    const Platform::Video::Context *_context = nullptr;
};

// The pixel operation of a block copy.
enum class BitBlitFunc { Copy, AlphaBlend };

// Moves the rectangle's pixels by (dx, dy) inside one 32-bit B, G, R, A
// buffer, as memmove would (overlap allowed); parts that would leave the
// buffer are clipped. Only Copy works in place ("BitBlit: invalid Func").
// False after a failed check.
bool BitBlit(std::uint8_t *bits, std::int64_t pitch, std::int32_t width, std::int32_t height,
             const Platform::Video::RectI32 &rectangle, std::int32_t dx, std::int32_t dy,
             BitBlitFunc func = BitBlitFunc::Copy);

} // namespace Brintavolex::GUI
