#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Stream.h"

#include <mutex>

namespace Brintavolex {

// PNG files through libpng: one image, BGRAUInt8 for files of up to 8 bits
// per sample, BGRAUInt16 for 16. Each call runs libpng from the start of the
// stream, one call at a time, since the stream has one position.
class PNGDecoder : public IDecoder {
public:
    explicit PNGDecoder(SharedPtr<IStream> stream);

    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    // The header as libpng's info structure holds it, under its member names.
    SharedPtr<IProperty> GetProperty() override;

    Data::BasicInfo DecodeBasicInfo();
    // Decodes into a buffer of stride x rows pixels of the colour type that
    // DecodeBasicInfo gives.
    void Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);

    class ImageFromDecoderHack;

private:
    SharedPtr<IStream> _stream;
    std::mutex _streamMutex;
};

class PNGDecoder::ImageFromDecoderHack final : public IImage2D {
public:
    explicit ImageFromDecoderHack(SharedPtr<PNGDecoder> decoder) : _decoder(std::move(decoder)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(buffer, stride, rows, progress);
    }

private:
    SharedPtr<PNGDecoder> _decoder;
};

class PNGDecoderFactory final : public DecoderFactory<PNGDecoderFactory> {
public:
    String GetName() override { return "Brintavolex PNG Decoder"; }
    String GetExtensions() override { return "*.png"; }
    TextPair GetFilterStrings() override { return {String("PNG-Dateien (*.png)"), String("PNG files (*.png)")}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<PNGDecoder>(stream);
    }
};

// True when the stream starts with the PNG signature (reads from 0).
bool HasPNGSignature(IStream &stream);

} // namespace Brintavolex
