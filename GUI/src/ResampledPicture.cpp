#include "GUI/api/ResampledPicture.h"

#include "Platform/api/Video/Software.h"

#include <algorithm>
#include <cstring>

namespace Brintavolex::GUI {

namespace {
bool SameRect(const Platform::Video::RectI32 &a, const Platform::Video::RectI32 &b) noexcept
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

bool operator==(const ResamplingRequest &a, const ResamplingRequest &b) noexcept
{
    return SameRect(a.destination, b.destination) && SameRect(a.clip, b.clip) && a.rotation == b.rotation &&
           a.mirrored == b.mirrored && a.mode == b.mode;
}

bool ResampledPicture::Matches(const Data::Image2DBase &shown, const ResamplingRequest &wanted) const
{
    // The weak reference fails once the picture is gone, so a new one at its address never matches.
    return picture.Lock().Get() == &shown && shown.WriteGeneration() == generation && request == wanted;
}

std::shared_ptr<const ResampledPicture> ResampleAhead(const SharedPtr<Data::Image2DBase> &picture,
                                                      const ResamplingRequest &request)
{
    if (!picture || !picture->KeepsFacts())
        return nullptr;
    const std::uint64_t generation = picture->WriteGeneration();
    if (!picture->IsOpaque())
        return nullptr;
    const Platform::Video::RectI32 &d = request.destination, &c = request.clip;
    const Platform::Video::RectI32 cut{std::max(d.left, c.left), std::max(d.top, c.top), std::min(d.right, c.right),
                                       std::min(d.bottom, c.bottom)};
    if (cut.left < 0 || cut.top < 0 || cut.left >= cut.right || cut.top >= cut.bottom)
        return nullptr;

    // A private context: the window's belongs to the GUI thread. The target
    // reaches from the window's origin so every coordinate is the paint's own.
    using namespace Platform::Video;
    const SharedPtr<Software::SoftwareContext> context = Software::SoftwareContext::Create();
    const SharedPtr<Context> shared = context;
    const SharedPtr<OffscreenBuffer> target =
        context->CreateOffscreenBuffer(std::uint32_t(cut.right), std::uint32_t(cut.bottom));
    context->SetRenderTarget(target);
    context->State().viewport = RectI32{0, 0, cut.right, cut.bottom};
    // Made as the view makes its texture: mip-mapped modes draw from the chain.
    const bool mipMap = request.mode == Resampling::EnumResamplingMode::MipMapBilinear ||
                        request.mode == Resampling::EnumResamplingMode::MipMapTrilinear;
    const SharedPtr<Image2D> texture = CreateFromMemory(shared, picture, mipMap);
    {
        Resampling resampling;
        resampling.Paint(shared, texture, request.destination, request.rotation, request.mode, request.clip,
                         request.mirrored);
        resampling.DeleteContextObjects();
    }
    context->ResetRenderTarget();

    auto result = std::make_shared<ResampledPicture>();
    result->picture = picture;
    result->generation = generation;
    result->request = request;
    result->cut = cut;
    const std::size_t rowBytes = std::size_t(cut.right - cut.left) * 4;
    result->pixels.resize(rowBytes * std::size_t(cut.bottom - cut.top));
    for (std::int32_t y = cut.top; y < cut.bottom; ++y)
        std::memcpy(&result->pixels[std::size_t(y - cut.top) * rowBytes],
                    target->Pixels() + (std::size_t(y) * std::size_t(cut.right) + std::size_t(cut.left)) * 4, rowBytes);
    // Written while it was read: what was drawn may be neither state.
    if (picture->WriteGeneration() != generation)
        return nullptr;
    return result;
}

} // namespace Brintavolex::GUI
