// Maps images of every pixel type to display bytes three ways (the data
// model's conversion, the software renderer's nearest shader and its
// unshaded texture path) and attaches the user representation; the Python
// reference checks all of them against its own evaluation.
//
// Input (little-endian): "BRDM", u32 count, then per image: i32 color type,
// u32 width, u32 height, width*height*pixel bytes.
// Output per image: three times width*height*4 bytes (conversion, shader,
// unshaded), then four doubles: user minimum, user maximum, pixel minimum,
// pixel maximum of the attached representation.

#include "Data/api/DisplayBytes.h"
#include "Data/api/Image2D.h"
#include "Data/api/UserRepresentation.h"
#include "Platform/api/MinimumMaximum.h"
#include "Platform/api/Video/Software.h"
#include "../support/InputFile.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

using namespace Brintavolex;
using namespace Brintavolex::Platform::Video;
using Brintavolex::Reference::ReadAll, Brintavolex::Reference::ReadPicture, Brintavolex::Reference::Reader;

namespace {

// Draws the texture 1:1 over a target of its size: every pixel centre meets
// a texel centre.
std::vector<std::uint8_t> Render(const SharedPtr<Software::SoftwareContext> &context,
                                 const SharedPtr<Platform::Video::Image2D> &texture, bool shaded)
{
    const std::uint32_t w = texture->Width(), h = texture->Height();
    SharedPtr<Renderer> renderer = context->CreateRenderer(nullptr, RendererOptions{});
    renderer->Resize(w, h);
    context->SetRenderTarget(renderer);
    renderer->BeginPaint();
    renderer->DisableBlending();
    SharedPtr<VertexBuffer2D> quad = context->CreateVertexBuffer2D(1);
    quad->SetQuad(0, 0, 0, float(w), float(h), 0, 0, 1, 1, 1, 1, 1, 1);
    SharedPtr<Platform::Video::PixelShader> shader;
    if (shaded) {
        shader = Software::CreatePixelShader(SharedPtr<Context>(context), Software::ShaderKind::Nearest);
        context->BindShader(shader);
    }
    context->BindImage2D(texture);
    quad->RenderAll();
    context->UnbindImage2D();
    context->UnbindShader();
    renderer->EndPaint();
    Renderer::Lock lock = renderer->LockBackBuffer();
    std::vector<std::uint8_t> pixels(lock.ReadBits(), lock.ReadBits() + std::size_t(w) * h * 4);
    context->ResetRenderTarget();
    return pixels;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s images.bin out.bin\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<unsigned char> data = ReadAll(argv[1]);
        Reader in{data};
        if (std::memcmp(in.Bytes(4), "BRDM", 4) != 0)
            throw std::runtime_error("not an image file");
        const auto count = in.Get<std::uint32_t>();
        FILE *out = std::fopen(argv[2], "wb");
        if (!out)
            throw std::runtime_error("cannot write output");
        SharedPtr<Software::SoftwareContext> context = Software::SoftwareContext::Create();
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto type = static_cast<Data::ColorType>(in.Get<std::int32_t>());
            const auto w = in.Get<std::uint32_t>(), h = in.Get<std::uint32_t>();
            SharedPtr<Data::Image2DBase> image = ReadPicture(in, type, w, h);
            std::vector<std::uint8_t> converted(std::size_t(w) * h * 4);
            if (!Data::ConvertToDisplayBytes(*image, converted.data(), std::int64_t(w) * 4))
                throw std::runtime_error("no display mapping for a listed type");
            if (w != 0 && h != 0) {
                std::fwrite(converted.data(), 1, converted.size(), out);
                SharedPtr<Platform::Video::Image2D> texture = context->CreateImage2D();
                texture->CreateFromMemory(image, false);
                for (bool shaded : {true, false}) {
                    const std::vector<std::uint8_t> rendered = Render(context, texture, shaded);
                    std::fwrite(rendered.data(), 1, rendered.size(), out);
                }
            }
            // Float data carries its range, measured as the data cache does.
            Data::ValueRangeHints hints;
            if (type == Data::ColorType::Float32 || type == Data::ColorType::Float64 ||
                type == Data::ColorType::BGRAFloat32 || type == Data::ColorType::BGRAFloat64) {
                const Data::MinimumMaximum measured = Data::ComputeMinimumMaximum(*image);
                if (measured.found)
                    hints.minimum = measured.minimum, hints.maximum = measured.maximum;
            }
            Data::AttachUserRepresentation(*image, hints);
            auto &r = dynamic_cast<Data::ImageUserRepresentationFromMinMaxValues &>(*image->GetUserRepresentation());
            const double range[4] = {r.UserMinimum(), r.UserMaximum(), r.PixelMinimum(), r.PixelMaximum()};
            std::fwrite(range, sizeof(double), 4, out);
        }
        std::fclose(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
