// Renders the scenes of a scene file with the software back end and writes
// the resulting target pixels; the Python reference compares them with its
// own evaluation of the same scenes.
//
// Scene file (little-endian): "BRSC", u32 count, then per scene:
//   u32 kind (1: vertex quads, 2: Resampling::Paint)
//   u32 width, u32 height, width*height*4 bytes of initial target pixels
//   u8 blending, i32 viewport left, top, right, bottom, i32 offset x, y
//   i32 color type (0: no texture), u32 w, u32 h, w*h*pixel bytes, u8 mip map
//   kind 1: i32 shader (-1 none, else the software shader kind), u32 quads,
//           per vertex floats u, v, r, g, b, a, x, y
//   kind 2: i32 mode, i32 rotation, i32 destination left, top, right, bottom,
//           i32 clip left, top, right, bottom
// Output: per scene width*height*4 bytes.

#include "GUI/api/Resampling.h"
#include "Platform/api/Video/Software.h"
#include "../support/InputFile.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

using namespace Brintavolex;
using namespace Brintavolex::Platform::Video;
using Brintavolex::Reference::ReadAll, Brintavolex::Reference::ReadPicture, Brintavolex::Reference::Reader;

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s scenes.bin out.bin\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<unsigned char> data = ReadAll(argv[1]);
        Reader in{data};
        if (std::memcmp(in.Bytes(4), "BRSC", 4) != 0)
            throw std::runtime_error("not a scene file");
        const auto count = in.Get<std::uint32_t>();
        FILE *out = std::fopen(argv[2], "wb");
        if (!out)
            throw std::runtime_error("cannot write output");
        SharedPtr<Software::SoftwareContext> context = Software::SoftwareContext::Create();
        GUI::Resampling resampling;
        for (std::uint32_t s = 0; s < count; ++s) {
            const auto kind = in.Get<std::uint32_t>();
            const auto width = in.Get<std::uint32_t>(), height = in.Get<std::uint32_t>();
            SharedPtr<Renderer> renderer = context->CreateRenderer(nullptr, RendererOptions{});
            renderer->Resize(width, height);
            context->SetRenderTarget(renderer);
            renderer->BeginPaint();
            Renderer::Lock lock = renderer->LockBackBuffer();
            std::memcpy(lock.WriteBits(), in.Bytes(std::size_t(width) * height * 4), std::size_t(width) * height * 4);
            if (in.Get<std::uint8_t>())
                renderer->EnableBlending();
            else
                renderer->DisableBlending();
            const auto l = in.Get<std::int32_t>(), t = in.Get<std::int32_t>(), r = in.Get<std::int32_t>(),
                       b = in.Get<std::int32_t>();
            renderer->SetViewport(l, t, r, b);
            context->State().offsetX = in.Get<std::int32_t>();
            context->State().offsetY = in.Get<std::int32_t>();
            const auto type = static_cast<Data::ColorType>(in.Get<std::int32_t>());
            const auto tw = in.Get<std::uint32_t>(), th = in.Get<std::uint32_t>();
            SharedPtr<Platform::Video::Image2D> texture;
            if (type != Data::ColorType::Unknown) {
                SharedPtr<Data::Image2DBase> image = ReadPicture(in, type, tw, th);
                texture = context->CreateImage2D();
                texture->CreateFromMemory(image, false);
                if (in.Get<std::uint8_t>()) {
                    texture->CreateFromMemory(image, true);
                    texture->GenerateMipMap(0x7FFFFFFF);
                }
            } else {
                in.Get<std::uint8_t>();
            }
            if (kind == 1) {
                const auto shaderKind = in.Get<std::int32_t>();
                const auto quads = in.Get<std::uint32_t>();
                SharedPtr<VertexBuffer2D> buffer = context->CreateVertexBuffer2D(quads);
                for (std::uint32_t i = 0; i < quads * 6; ++i) {
                    float f[8];
                    for (float &x : f)
                        x = in.Get<float>();
                    buffer->SetVertex(i, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], 0.0f);
                }
                SharedPtr<Platform::Video::PixelShader> shader;
                if (shaderKind >= 0)
                    shader = Software::CreatePixelShader(SharedPtr<Context>(context),
                                                         static_cast<Software::ShaderKind>(shaderKind));
                if (texture)
                    context->BindImage2D(texture);
                if (shader)
                    context->BindShader(shader);
                buffer->RenderAll();
                context->UnbindShader();
                context->UnbindImage2D();
            } else {
                const auto mode = static_cast<GUI::Resampling::EnumResamplingMode>(in.Get<std::int32_t>());
                const auto rotation = in.Get<std::int32_t>();
                RectI32 destination, clip;
                destination.left = in.Get<std::int32_t>(), destination.top = in.Get<std::int32_t>();
                destination.right = in.Get<std::int32_t>(), destination.bottom = in.Get<std::int32_t>();
                clip.left = in.Get<std::int32_t>(), clip.top = in.Get<std::int32_t>();
                clip.right = in.Get<std::int32_t>(), clip.bottom = in.Get<std::int32_t>();
                resampling.Paint(SharedPtr<Context>(context), texture, destination, rotation, mode, clip);
            }
            renderer->EndPaint();
            std::fwrite(lock.ReadBits(), 1, std::size_t(width) * height * 4, out);
            context->ResetRenderTarget();
        }
        resampling.DeleteContextObjects();
        std::fclose(out);
        if (context->ChildCount() != 0) {
            std::fprintf(stderr, "render objects left: %zu\n", context->ChildCount());
            return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
