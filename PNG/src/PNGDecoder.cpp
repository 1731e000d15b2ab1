#include "PNG/api/PNGDecoder.h"

#include "PNG/src/PNGFormat.h"
#include "PNG/src/PNGReadSession.h"

#include <algorithm>
#include <stdexcept>

namespace Brintavolex {

PNGDecoder::PNGDecoder(SharedPtr<IStream> stream) : _stream(std::move(stream))
{
    if (!_stream)
        throw Exception("PNGDecoder::PNGDecoder: stream is nullptr");
}

SharedPtr<ISceneItem> PNGDecoder::Get(std::uint64_t index)
{
    if (index != 0)
        throw std::invalid_argument("PNGDecoder::Get: image index must be less than image count");
    return MakeShared<ImageFromDecoderHack>(SharedFromThis<PNGDecoder>());
}

SharedPtr<ISceneItem> PNGDecoder::ImageFromDecoderHack::Get(std::uint64_t)
{
    throw std::invalid_argument("PNGDecoder::ImageFromDecoderHack::Get: an image has no children");
}

Data::BasicInfo PNGDecoder::DecodeBasicInfo()
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const PNG::ReadSession session(*_stream);
    const auto type = session.OutputBitDepth() == 16 ? Data::ColorType::BGRAUInt16 : Data::ColorType::BGRAUInt8;
    return Data::BasicInfo{session.Width(), session.Height(), session.Width(), session.Height(), type};
}

void PNGDecoder::Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    PNG::ReadSession session(*_stream);
    if (!buffer || stride < session.Width() || rows < session.Height())
        throw std::invalid_argument("PNGDecoder::Decode: the buffer is smaller than the picture");
    const std::uint64_t pixelBytes = PNG::kOutputChannels * (session.OutputBitDepth() / 8);
    session.DecodeBGRA(static_cast<std::uint8_t *>(buffer), stride * pixelBytes, progress);
}

bool HasPNGSignature(IStream &stream)
{
    std::uint8_t signature[PNG::kSignatureSize];
    if (stream.size() < PNG::kSignatureSize)
        return false;
    stream.seek(0);
    stream.read(signature, PNG::kSignatureSize);
    return std::equal(signature, signature + PNG::kSignatureSize, PNG::kSignature);
}

} // namespace Brintavolex
