#pragma once

// Loads the images of one file (frames, pages) on a worker thread, one at a
// time and in the order asked, so that a decoder that keeps its last image
// (GIF) costs one image per step. While one loads, a new request waits; of
// several waiting only the latest is loaded.

#include "Platform/api/BackgroundDecode.h"
#include "Platform/api/CodecFactory.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Brintavolex {

class FrameLoader {
public:
    // On the GUI thread: the image index asked for and its outcome, with the
    // image's Exif orientation.
    using Shown = std::function<void(std::uint64_t index, const BackgroundDecode::Outcome &outcome,
                                     std::uint16_t exifOrientation)>;

    // decoder may be null when every request brings its cache.
    FrameLoader(SharedPtr<IDecoder> decoder, SharedPtr<IGuiThreadPoster> poster, Shown shown);
    // Waits for the worker; an outcome still on its way is dropped.
    ~FrameLoader();
    FrameLoader(const FrameLoader &) = delete;
    FrameLoader &operator=(const FrameLoader &) = delete;

    // On the GUI thread. cache: the image already selected (else the
    // decoder's image index is selected when its turn comes).
    void Request(std::uint64_t index, SharedPtr<Image2DDataCache> cache = {});
    bool IsLoading() const noexcept { return bool(_decode); }

    // The stored delay of each image in milliseconds, read before any image
    // loads (afterwards a query would wait for the worker); empty when the
    // first image has none, as with stills and pages.
    static std::vector<std::uint32_t> ReadDelays(IDecoder &decoder);

private:
    struct Waiting {
        std::uint64_t index = 0;
        SharedPtr<Image2DDataCache> cache;
    };
    void Start(std::uint64_t index, SharedPtr<Image2DDataCache> cache);
    void Finished(std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation);

    SharedPtr<IDecoder> _decoder;
    SharedPtr<IGuiThreadPoster> _poster;
    Shown _shown;
    std::unique_ptr<BackgroundDecode> _decode;
    std::optional<Waiting> _waiting;
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

} // namespace Brintavolex
