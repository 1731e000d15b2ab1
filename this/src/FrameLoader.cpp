#include "this/src/FrameLoader.h"

#include "Platform/api/DataCache.h"

namespace Brintavolex {

FrameLoader::FrameLoader(SharedPtr<IDecoder> decoder, SharedPtr<IGuiThreadPoster> poster, Shown shown)
    : _decoder(std::move(decoder)), _poster(std::move(poster)), _shown(std::move(shown))
{
}

FrameLoader::~FrameLoader()
{
    *_alive = false;
    _decode.reset();
}

void FrameLoader::Request(std::uint64_t index, SharedPtr<Image2DDataCache> cache)
{
    if (_decode) {
        _waiting = Waiting{index, std::move(cache)};
        return;
    }
    Start(index, std::move(cache));
}

void FrameLoader::Start(std::uint64_t index, SharedPtr<Image2DDataCache> cache)
{
    try {
        if (!cache) {
            if (!_decoder)
                throw Exception("FrameLoader: no decoder");
            // Selecting asks the decoder, which no worker uses now.
            cache = LoadFromStreamGivenDecoder(_decoder, {MakeShared<ZeroBasedIndex>(index)}).image2D;
            if (!cache)
                throw Exception("image " + std::to_string(index) + " is no 2D picture");
        }
    } catch (const std::exception &e) {
        BackgroundDecode::Outcome failed;
        failed.error = String(e.what());
        _shown(index, failed, 1);
        return;
    }
    std::weak_ptr<bool> alive = _alive;
    _decode = std::make_unique<BackgroundDecode>(
        cache, nullptr, _poster, [this, alive, cache, index](const BackgroundDecode::Outcome &outcome) {
            // The orientation came with the information the decode read.
            if (const auto living = alive.lock(); living && *living)
                Finished(index, outcome, outcome.image ? cache->GetExifOrientation() : 1);
        });
}

void FrameLoader::Finished(std::uint64_t index, const BackgroundDecode::Outcome &outcome,
                           std::uint16_t exifOrientation)
{
    _decode.reset();
    // Shown first, so that a request made while showing waits its turn.
    std::optional<Waiting> next = std::move(_waiting);
    _waiting.reset();
    _shown(index, outcome, exifOrientation);
    if (next && !_decode)
        Start(next->index, std::move(next->cache));
    else if (next)
        _waiting = std::move(next);
}

std::vector<std::uint32_t> FrameLoader::ReadDelays(IDecoder &decoder)
{
    std::vector<std::uint32_t> delays;
    const std::uint64_t count = decoder.GetCount();
    for (std::uint64_t i = 0; i < count; ++i) {
        const SharedPtr<IImage2D> image = DynamicPointerCast<IImage2D>(decoder.Get(i));
        const std::optional<std::uint32_t> delay = image ? image->GetFrameDelayMilliseconds() : std::nullopt;
        if (i == 0 && !delay)
            return {};
        delays.push_back(delay.value_or(0));
    }
    return delays;
}

} // namespace Brintavolex
