#pragma once

// The device-independent drawing interface: a Context stands for one graphics
// device and creates every device object; the only primitive is the textured,
// coloured quad in window pixels.

#include "Data/api/ColorType.h"
#include "Data/api/Image2D.h"
#include "Root/api/String.h"
#include "Platform/api/Video/RendererType.h"
#include "Root/api/SharedPtr.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Brintavolex::Platform::Video {

// "OpenGL", "Direct3D9", "Software" for messages (the settings read and
// write the names through their value texts); any other value throws.
const char *RendererTypeText(RendererTypeEnum type);

struct RectI32 {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RectI32 &, const RectI32 &) = default;
};

// 24 bytes per vertex, the layout every back end shares.
struct Vertex2D {
    float u, v;
    std::uint8_t r, g, b, a;
    float x, y, z;
};
static_assert(sizeof(Vertex2D) == 24, "vertex layout");

// Float colour component 0..1 to its vertex byte: times 255, truncated, and
// clamped so that values outside 0..1 (or NaN) cannot wrap around.
inline std::uint8_t ColorComponentToByte(float c) noexcept
{
    const float scaled = c * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<std::uint8_t>(scaled);
}

class Context;
class Renderer;
class Image2D;
class PixelShader;
class VertexShader;
class CombinedShader;
class VertexBuffer2D;
class OffscreenBuffer;
class RenderWindow;

struct RendererOptions {
    bool layered = false;
};

// Resampling methods that a back end may offer as pixel shaders of its own
// (the software one does; hardware back ends sample with texture modes and
// program text instead).
enum class ShaderKind { Nearest, NearestWithColorization, Linear, Cubic, Area, MipMapBilinear, MipMapTrilinear };

// Draw state that the renderer operations change; shared by a context's
// renderers.
struct DrawState {
    Data::ColorBGRA<float> clearColor{0.0f, 0.0f, 0.0f, 1.0f};
    RectI32 viewport;
    std::int32_t offsetX = 0, offsetY = 0;
    bool blending = false;
    bool constantColor = false;
    std::uint8_t constantB = 255, constantG = 255, constantR = 255, constantA = 255;
    bool scissor = false;
    RectI32 scissorRect;
};

class Context : public EnableSharedPtrFromThis {
public:
    // Base of every device object: keeps its context alive and is listed in
    // the context's child registry for its whole life.
    class ContextChild : public EnableSharedPtrFromThis {
    public:
        explicit ContextChild(const SharedPtr<Context> &context);
        ~ContextChild() override;
        ContextChild(const ContextChild &) = delete;
        ContextChild &operator=(const ContextChild &) = delete;

        // Device-loss hooks around a device reset; empty where devices are not lost.
        virtual void OnDeviceLost() {}
        virtual void OnDeviceRestored() {}

        Context &GetContext() const noexcept { return *_context; }
        const SharedPtr<Context> &GetContextPtr() const noexcept { return _context; }

    private:
        friend class Context;
        SharedPtr<Context> _context;
        ContextChild *_previous = nullptr;
        ContextChild *_next = nullptr;
    };

    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;
    // Logs "Context::~Context" when children are still registered; never throws.
    ~Context() override;

    virtual SharedPtr<Renderer> CreateRenderer(const SharedPtr<RenderWindow> &window,
                                               const RendererOptions &options) = 0;
    // An empty host-memory image of the type, width and height whose buffer is
    // at least minimumBytes long and as large as the device needs for upload.
    virtual SharedPtr<Data::Image2DBase> CreateHostImage2D(Data::ColorType type, std::uint32_t width,
                                                           std::uint32_t height, std::size_t minimumBytes = 0);
    virtual SharedPtr<Image2D> CreateImage2D() = 0;
    virtual void BindImage2D(const SharedPtr<Image2D> &image);
    virtual void UnbindImage2D();
    virtual SharedPtr<PixelShader> CreatePixelShader() = 0;
    virtual SharedPtr<VertexShader> CreateVertexShader() = 0;
    virtual SharedPtr<CombinedShader> CreateCombinedShader(const SharedPtr<VertexShader> &vertexShader,
                                                           const SharedPtr<PixelShader> &pixelShader);
    virtual void BindShader(const SharedPtr<PixelShader> &shader);
    virtual void UnbindShader();
    virtual void SetRenderTarget(const SharedPtr<Renderer> &renderer);
    virtual void SetRenderTarget(const SharedPtr<OffscreenBuffer> &buffer);
    virtual void ResetRenderTarget();
    virtual SharedPtr<VertexBuffer2D> CreateVertexBuffer2D(std::uint32_t quadCount) = 0;
    virtual void RenderVertexBufferRange(VertexBuffer2D &vertexBuffer, std::uint32_t quadIndex) = 0;
    virtual void Hook() {}
    virtual SharedPtr<OffscreenBuffer> CreateOffscreenBuffer(std::uint32_t width, std::uint32_t height) = 0;
    // The back end's own shader for a resampling method on textures of the
    // pixel type, or null when it has none (the caller then uses sampling
    // modes and program text).
    virtual SharedPtr<PixelShader> CreateResamplingShader(ShaderKind kind, Data::ColorType type);

    // Child registry.
    std::size_t ChildCount() const noexcept { return _childCount; }
    template <class F> void ForEachChild(F &&f) const
    {
        for (ContextChild *c = _head; c; c = c->_next)
            f(*c);
    }

    DrawState &State() noexcept { return _state; }
    const DrawState &State() const noexcept { return _state; }
    // Bindings do not own: an object dropped by its user unbinds itself (and
    // no binding keeps its context alive through the child's reference).
    SharedPtr<Image2D> BoundImage() const { return _boundImage.Lock(); }
    SharedPtr<PixelShader> BoundShader() const { return _boundShader.Lock(); }
    SharedPtr<Renderer> TargetRenderer() const { return _targetRenderer.Lock(); }
    SharedPtr<OffscreenBuffer> TargetOffscreen() const { return _targetOffscreen.Lock(); }

protected:
    Context() = default;
    SharedPtr<Context> Self() { return SharedFromThis<Context>(); }

private:
    void Register(ContextChild &child) noexcept;
    void Unregister(ContextChild &child) noexcept;

    ContextChild *_head = nullptr;
    ContextChild *_tail = nullptr;
    std::size_t _childCount = 0;
    DrawState _state;
    WeakPtr<Image2D> _boundImage;
    WeakPtr<PixelShader> _boundShader;
    WeakPtr<Renderer> _targetRenderer;
    WeakPtr<OffscreenBuffer> _targetOffscreen;
};

// Where a renderer's finished frames go: a window on the desktop, or memory.
class RenderWindow : public EnableSharedPtrFromThis {
public:
    // Shows a frame of width x height pixels, 4 bytes each (B, G, R, A,
    // premultiplied), rows top-down, pitch width * 4. False when the platform
    // refused (the failing call has been logged).
    virtual bool PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height) = 0;
    virtual bool IsLayered() const { return false; }
};

// Keeps the last frame in memory (headless runs and tests).
class MemoryRenderWindow final : public RenderWindow {
public:
    bool PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height) override;
    const std::vector<std::uint8_t> &Pixels() const noexcept { return _pixels; }
    std::uint32_t Width() const noexcept { return _width; }
    std::uint32_t Height() const noexcept { return _height; }
    unsigned PresentCount() const noexcept { return _presentCount; }
    // Makes the next PresentBGRA fail (as a refused platform call would).
    void FailNextPresent() noexcept { _failNext = true; }

private:
    std::vector<std::uint8_t> _pixels;
    std::uint32_t _width = 0, _height = 0;
    unsigned _presentCount = 0;
    bool _failNext = false;
};

class Renderer : public Context::ContextChild {
public:
    // The back buffer, 32-bit B, G, R, A pixels; valid while the lock lives.
    class Lock {
    public:
        Lock() = default;
        Lock(SharedPtr<Renderer> owner, std::uint8_t *bits, std::int64_t pitch, std::uint32_t width,
             std::uint32_t height) noexcept
            : _owner(std::move(owner)), _bits(bits), _pitch(pitch), _width(width), _height(height)
        {
        }
        const std::uint8_t *ReadBits() const noexcept { return _bits; }
        std::uint8_t *WriteBits() const noexcept { return _bits; }
        std::int64_t Pitch() const noexcept { return _pitch; }
        std::uint32_t Width() const noexcept { return _width; }
        std::uint32_t Height() const noexcept { return _height; }

    private:
        SharedPtr<Renderer> _owner;
        std::uint8_t *_bits = nullptr;
        std::int64_t _pitch = 0;
        std::uint32_t _width = 0, _height = 0;
    };

    Renderer(const SharedPtr<Context> &context, SharedPtr<RenderWindow> window);

    virtual void ReleaseDeviceObjects() {}
    virtual void RecreateDeviceObjects() {}
    virtual void getProjectionMatrix(float *matrix16);
    virtual void setProjectionMatrix(const float *matrix16);
    virtual void setProjectionMatrix(double left, double right, double bottom, double top);
    virtual void getModelviewMatrix(float *matrix16);
    virtual void setModelviewMatrix(const float *matrix16);
    virtual void setModelviewMatrix(double dx, double dy);
    virtual bool HasDepthBuffer() const { return false; }
    virtual void enableDepthTest();
    virtual void disableDepthTest();
    virtual void setColorMask(bool red, bool green, bool blue, bool alpha);
    virtual void clearDepthStencil();
    virtual RectI32 GetViewport() const;
    virtual void SetViewport(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    virtual void EnableBlending();
    virtual void DisableBlending();
    virtual void Resize(std::uint32_t width, std::uint32_t height);
    virtual void BeginPaint() = 0;
    virtual void EndPaint();
    virtual void Translate(std::int32_t dx, std::int32_t dy);
    virtual void DisableScissor();
    virtual void EnableScissor(const RectI32 &rectangle);
    virtual const char *GetName() const = 0;
    virtual void Finish() {}
    virtual bool Present() = 0;
    virtual bool IsPixelMappingPrecise() { return true; }
    virtual bool HasAlphaChannel() const { return true; }
    virtual Lock LockBackBuffer() = 0;
    // Desktop composition; a failing platform query counts as off.
    virtual bool IsCompositionEnabled() const;
    // True when LockBackBuffer hands out the frame itself in host memory, so
    // that a view may keep its last picture, shift it and draw only the new
    // strips. Elsewhere reading a frame back costs more than drawing it.
    virtual bool CanReuseFrames() const { return false; }

    std::uint32_t Width() const noexcept { return _width; }
    std::uint32_t Height() const noexcept { return _height; }
    bool SizeChanged() const noexcept { return _sizeChanged; }
    void ClearSizeChanged() noexcept { _sizeChanged = false; }
    bool InsideFrame() const noexcept { return _insideFrame; }
    const SharedPtr<RenderWindow> &Window() const noexcept { return _window; }

protected:
    std::uint32_t _width = 0, _height = 0;
    bool _sizeChanged = false;
    bool _insideFrame = false;
    SharedPtr<RenderWindow> _window;
};

// A texture: the uploaded image plus the sampling mode of the device.
class Image2D : public Context::ContextChild {
public:
    using ContextChild::ContextChild;
    virtual void CreateFromMemory(const SharedPtr<Data::Image2DBase> &image, bool mipMap = false) = 0;
    virtual void SetSamplingModeLinear() = 0;
    virtual void SetSamplingModeNearest() = 0;
    virtual void SetSamplingModeMipMapBilinear() = 0;
    virtual void SetSamplingModeMipMapTrilinear() = 0;
    virtual void GenerateMipMap(std::int32_t maxLevel) = 0;
    // Readies the mip chain for a mip-mapped draw: rebuilt each time unless
    // a back end keeps it from one draw to the next.
    virtual void EnsureMipMap() { GenerateMipMap(INT32_MAX); }
    // Picture size and the allocated size that texture coordinates span.
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    virtual std::uint32_t AllocatedWidth() const { return Width(); }
    virtual std::uint32_t AllocatedHeight() const { return Height(); }
    // The uploaded image's pixel type; Unknown before an upload.
    virtual Data::ColorType PixelType() const = 0;
};

// Shader program text is compiled by the back ends that take it; the base
// refuses both languages.
class ShaderBase : public Context::ContextChild {
public:
    using ContextChild::ContextChild;
    virtual void CreateFromGLString(StringExpr text);
    virtual void CreateFromHLSLString(StringExpr text, StringExpr entryPoint);
    virtual void CreateFromHLSLFile(StringExpr path, StringExpr entryPoint);
    virtual void SetUniform(const char *name, std::int32_t value);
    virtual void SetUniform(const char *name, float value);
};

class PixelShader : public ShaderBase {
public:
    using ShaderBase::ShaderBase;
};

class VertexShader : public ShaderBase {
public:
    using ShaderBase::ShaderBase;
};

class CombinedShader : public PixelShader {
public:
    CombinedShader(const SharedPtr<Context> &context, SharedPtr<VertexShader> vertexShader,
                   SharedPtr<PixelShader> pixelShader);
    const SharedPtr<VertexShader> &GetVertexShader() const noexcept { return _vertexShader; }
    const SharedPtr<PixelShader> &GetPixelShader() const noexcept { return _pixelShader; }

private:
    SharedPtr<VertexShader> _vertexShader;
    SharedPtr<PixelShader> _pixelShader;
};

// Quads in host memory: quad n is vertices 6n..6n+5, triangles 0-1-2 and 3-4-5.
class VertexBuffer2D : public Context::ContextChild {
public:
    VertexBuffer2D(const SharedPtr<Context> &context, std::uint32_t quadCount);

    Vertex2D *Lock() noexcept { return _vertices.data(); }
    const Vertex2D *Vertices() const noexcept { return _vertices.data(); }
    // Colour components 0..1 (clamped); an index at or beyond 6 x quad count throws.
    virtual void SetVertex(std::uint32_t index, float u, float v, float red, float green, float blue, float alpha,
                           std::int32_t x, std::int32_t y, std::int32_t z);
    virtual void SetVertex(std::uint32_t index, float u, float v, float red, float green, float blue, float alpha,
                           float x, float y, float z);
    virtual void Hook() {}
    virtual void RenderAll();
    virtual void Render(std::uint32_t quadIndex);
    virtual void Release();

    std::uint32_t QuadCount() const noexcept { return _quadCount; }

    // Writes quad n as an axis-aligned rectangle with one colour and the
    // texture corners (u0, v0) top left and (u1, v1) bottom right.
    void SetQuad(std::uint32_t quadIndex, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                 float v1, float red, float green, float blue, float alpha);

private:
    std::uint32_t _quadCount;
    std::vector<Vertex2D> _vertices;
};

class OffscreenBuffer : public Context::ContextChild {
public:
    OffscreenBuffer(const SharedPtr<Context> &context, std::uint32_t width, std::uint32_t height);
    std::uint32_t Width() const noexcept { return _width; }
    std::uint32_t Height() const noexcept { return _height; }
    std::uint8_t *Pixels() noexcept { return _pixels.data(); }
    const std::uint8_t *Pixels() const noexcept { return _pixels.data(); }

private:
    std::uint32_t _width, _height;
    std::vector<std::uint8_t> _pixels;
};

// What texture sizes and layouts a device accepts.
class BufferFormats {
public:
    struct Representation {
        std::uint32_t width = 0, height = 0;
        Data::ColorType type = Data::ColorType::Unknown;
    };
    virtual ~BufferFormats() = default;
    virtual Representation GetInternalRepresentation(std::uint32_t width, std::uint32_t height,
                                                     Data::ColorType type) const = 0;
};

// The context of a back end; throws Exception for one this build lacks.
SharedPtr<Context> CreateContext(RendererTypeEnum type);

// Creates a texture on context and uploads image; throws
// "CreateFromMemory: pContext==nullptr" without a context.
SharedPtr<Image2D> CreateFromMemory(const SharedPtr<Context> &context, const SharedPtr<Data::Image2DBase> &image,
                                    bool mipMap = false);

// Desktop composition (DwmIsCompositionEnabled); false when the query fails
// and on systems without a compositor query.
bool IsDesktopCompositionEnabled() noexcept;

} // namespace Brintavolex::Platform::Video
