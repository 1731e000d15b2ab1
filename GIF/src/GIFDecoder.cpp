#include "GIF/api/GIFDecoder.h"

#include "GIF/src/GIFComposer.h"
#include "GIF/src/GIFStructure.h"
#include "Platform/api/DecodeLimit.h"

#include <cstring>
#include <stdexcept>

namespace Brintavolex {

namespace {
constexpr std::uint32_t kMillisecondsPerDelayUnit = 10;
constexpr std::uint64_t kCanvasBytesPerPixel = 4;
} // namespace

GIFDecoder::GIFDecoder(SharedPtr<IStream> stream) : _stream(std::move(stream))
{
    if (!_stream)
        throw Exception("GIFDecoder::GIFDecoder: stream is nullptr");
}

GIFDecoder::~GIFDecoder() = default;

const GIF::Structure &GIFDecoder::Structure()
{
    if (!_structure)
        _structure = std::make_unique<GIF::Structure>(GIF::ReadStructure(*_stream));
    return *_structure;
}

std::uint64_t GIFDecoder::GetCount()
{
    std::lock_guard<std::mutex> guard(_mutex);
    return Structure().images.size();
}

void GIFDecoder::CheckIndex(std::uint64_t index)
{
    const GIF::Structure &s = Structure();
    if (index < s.images.size())
        return;
    // The image after the last whole one, when the file breaks off in it.
    if (index == s.images.size() && !s.stopReason.empty())
        throw Exception("GIFDecoder: " + s.stopReason);
    throw std::invalid_argument("GIFDecoder::Get: image index must be less than image count");
}

SharedPtr<ISceneItem> GIFDecoder::Get(std::uint64_t index)
{
    {
        std::lock_guard<std::mutex> guard(_mutex);
        CheckIndex(index);
    }
    return MakeShared<ImageFromDecoderHack>(SharedFromThis<GIFDecoder>(), index);
}

SharedPtr<ISceneItem> GIFDecoder::ImageFromDecoderHack::Get(std::uint64_t)
{
    throw std::invalid_argument("GIFDecoder::ImageFromDecoderHack::Get: an image has no children");
}

void GIFDecoder::ScreenSize(std::uint32_t &width, std::uint32_t &height)
{
    const GIF::Structure &s = Structure();
    width = s.screenWidth;
    height = s.screenHeight;
    if ((width == 0 || height == 0) && !s.images.empty()) {
        width = s.images[0].width;
        height = s.images[0].height;
    }
    if (width == 0 || height == 0)
        throw Exception("GIFDecoder: the logical screen is empty");
    CheckDecodeLimit("GIFDecoder", width, height, kCanvasBytesPerPixel);
}

Data::BasicInfo GIFDecoder::DecodeBasicInfo(std::uint64_t index)
{
    std::lock_guard<std::mutex> guard(_mutex);
    CheckIndex(index);
    std::uint32_t width = 0, height = 0;
    ScreenSize(width, height);
    return Data::BasicInfo{width, height, width, height, Data::ColorType::BGRAUInt8};
}

std::optional<std::uint32_t> GIFDecoder::GetDelayMilliseconds(std::uint64_t index)
{
    std::lock_guard<std::mutex> guard(_mutex);
    CheckIndex(index);
    const auto &control = Structure().images[index].control;
    if (!control)
        return std::nullopt;
    return std::uint32_t(control->delay) * kMillisecondsPerDelayUnit;
}

void GIFDecoder::Decode(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                        const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_mutex);
    CheckIndex(index);
    std::uint32_t width = 0, height = 0;
    ScreenSize(width, height);
    if (!buffer || stride < width || rows < height)
        throw std::invalid_argument("GIFDecoder::Decode: the buffer is smaller than the picture");
    if (!_composer)
        _composer = std::make_unique<GIF::FrameComposer>(Structure(), width, height);
    GIF::BlockReader in(*_stream);
    _composer->DrawUpTo(in, std::size_t(index), progress);
    auto *target = static_cast<Data::ColorBGRA<std::uint8_t> *>(buffer);
    for (std::uint32_t y = 0; y < height; ++y)
        std::memcpy(target + y * stride, _composer->Row(y), std::size_t(width) * kCanvasBytesPerPixel);
}

} // namespace Brintavolex
