#include "BMP/api/BMPDecoder.h"

#include "BMP/src/BMPHeaders.h"
#include "BMP/src/BMPPixels.h"

#include <stdexcept>

namespace Brintavolex {

BMPDecoder::BMPDecoder(SharedPtr<IStream> stream) : _stream(std::move(stream))
{
    if (!_stream)
        throw Exception("BMPDecoder::BMPDecoder: stream is nullptr");
}

SharedPtr<ISceneItem> BMPDecoder::Get(std::uint64_t index)
{
    if (index != 0)
        throw std::invalid_argument("BMPDecoder::Get: image index must be less than image count");
    return MakeShared<Image2D>(SharedFromThis<BMPDecoder>());
}

SharedPtr<ISceneItem> BMPDecoder::Image2D::Get(std::uint64_t)
{
    throw std::invalid_argument("BMPDecoder::Image2D::Get: an image has no children");
}

Data::BasicInfo BMPDecoder::DecodeBasicInfo()
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const BMP::Layout layout = BMP::ReadLayout(*_stream);
    _xResolution = layout.xPixelsPerMetre;
    _yResolution = layout.yPixelsPerMetre;
    return Data::BasicInfo{layout.width, layout.height, layout.width, layout.height, Data::ColorType::BGRAUInt8};
}

void BMPDecoder::Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const auto layout = std::make_unique<BMP::Layout>(BMP::ReadLayout(*_stream));
    _xResolution = layout->xPixelsPerMetre;
    _yResolution = layout->yPixelsPerMetre;
    const SharedPtr<Data::Image2DBase> target = Data::CreateExternalBufferImage2D(
        buffer, Data::ColorType::BGRAUInt8, layout->width, layout->height, stride, rows);
    auto lock = target->Lock<Data::ColorBGRA<std::uint8_t>>(Data::LockWritable);
    BMP::DecodePixels(*_stream, *layout, lock, progress);
}

} // namespace Brintavolex
