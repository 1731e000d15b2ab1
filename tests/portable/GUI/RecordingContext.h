#pragma once

// A context that draws nothing and records what it was asked to draw.

#include "Platform/api/Video/Context.h"
#include "Root/api/Exception.h"

#include <vector>

namespace Brintavolex::Test {

using namespace Platform::Video;

class RecordingContext final : public Context {
public:
    struct Draw {
        const VertexBuffer2D *buffer;
        std::uint32_t quad;
        const Image2D *texture;
        Vertex2D first;
    };

    class RecordingImage final : public Image2D {
    public:
        using Image2D::Image2D;
        void CreateFromMemory(const SharedPtr<Data::Image2DBase> &image, bool) override { _image = image; }
        void SetSamplingModeLinear() override {}
        void SetSamplingModeNearest() override {}
        void SetSamplingModeMipMapBilinear() override {}
        void SetSamplingModeMipMapTrilinear() override {}
        void GenerateMipMap(std::int32_t) override {}
        std::uint32_t Width() const override { return _image ? std::uint32_t(_image->GetWidth()) : 0; }
        std::uint32_t Height() const override { return _image ? std::uint32_t(_image->GetHeight()) : 0; }
        Data::ColorType PixelType() const override
        {
            return _image ? _image->GetColorType() : Data::ColorType::Unknown;
        }

    private:
        SharedPtr<Data::Image2DBase> _image;
    };

    class RecordingRenderer final : public Renderer {
    public:
        using Renderer::Renderer;
        void BeginPaint() override
        {
            _insideFrame = true;
            _pixels.assign(std::size_t(_width) * _height * 4, 0);
            SetViewport(0, 0, std::int32_t(_width), std::int32_t(_height));
        }
        const char *GetName() const override { return "Software"; }
        bool Present() override { return _window ? _window->PresentBGRA(_pixels.data(), _width, _height) : true; }
        Lock LockBackBuffer() override
        {
            return Lock(SharedFromThis<Renderer>(), _pixels.data(), std::int64_t(_width) * 4, _width, _height);
        }

    private:
        std::vector<std::uint8_t> _pixels;
    };

    SharedPtr<Renderer> CreateRenderer(const SharedPtr<RenderWindow> &window, const RendererOptions &) override
    {
        return MakeShared<RecordingRenderer>(Self(), window);
    }
    SharedPtr<Image2D> CreateImage2D() override { return MakeShared<RecordingImage>(Self()); }
    SharedPtr<PixelShader> CreatePixelShader() override { return MakeShared<PixelShader>(Self()); }
    SharedPtr<VertexShader> CreateVertexShader() override { return MakeShared<VertexShader>(Self()); }
    SharedPtr<VertexBuffer2D> CreateVertexBuffer2D(std::uint32_t quads) override
    {
        return MakeShared<VertexBuffer2D>(Self(), quads);
    }
    SharedPtr<OffscreenBuffer> CreateOffscreenBuffer(std::uint32_t w, std::uint32_t h) override
    {
        return MakeShared<OffscreenBuffer>(Self(), w, h);
    }
    void RenderVertexBufferRange(VertexBuffer2D &buffer, std::uint32_t quad) override
    {
        if (!TargetRenderer() && !TargetOffscreen())
            throw Exception("RecordingContext::RenderVertexBufferRange: no render target");
        draws.push_back(Draw{&buffer, quad, BoundImage().Get(), buffer.Vertices()[quad * 6]});
        // (the image pointer is only compared, never followed)
    }

    std::vector<Draw> draws;
};

} // namespace Brintavolex::Test
