#pragma once

// A picture resampled ahead of its paint (on any thread), so that the paint
// that would resample exactly the same copies the pixels instead.

#include "Data/api/Image2D.h"
#include "GUI/api/Resampling.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Brintavolex::GUI {

// Everything a paint's resampled pixels depend on besides the picture.
struct ResamplingRequest {
    Platform::Video::RectI32 destination{}, clip{};
    std::int32_t rotation = 0;
    bool mirrored = false;
    Resampling::EnumResamplingMode mode = Resampling::EnumResamplingMode::Nearest;
};
bool operator==(const ResamplingRequest &a, const ResamplingRequest &b) noexcept;

// What the software renderer draws for the request over the cut (its
// destination within its clip): rows of B, G, R, A bytes without padding.
struct ResampledPicture {
    WeakPtr<Data::Image2DBase> picture;
    std::uint64_t generation = 0;
    ResamplingRequest request;
    Platform::Video::RectI32 cut{};
    std::vector<std::uint8_t> pixels;

    // The picture, unwritten since, painted with this request.
    bool Matches(const Data::Image2DBase &shown, const ResamplingRequest &wanted) const;
};

// Paints the request into memory the way the software renderer paints a
// window, so the pixels are the paint's to the bit. Null when the picture
// is not opaque (its paint would blend over what lies under it), changes
// without telling (see Data::Image2DBase::KeepsFacts) or nothing is cut.
std::shared_ptr<const ResampledPicture> ResampleAhead(const SharedPtr<Data::Image2DBase> &picture,
                                                      const ResamplingRequest &request);

} // namespace Brintavolex::GUI
