#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Stream.h"

#include <mutex>

namespace Brintavolex {

namespace BMP {
struct Layout;
}

// Windows and OS/2 bitmaps with or without the file header; always one image
// of BGRAUInt8. Reads lazily: every call reads the stream again from 0, one
// call at a time, since the stream has one position.
class BMPDecoder : public IDecoder {
public:
    explicit BMPDecoder(SharedPtr<IStream> stream);

    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    // The header composites, named after the published structures.
    SharedPtr<IProperty> GetProperty() override;

    // The picture's size; reads the headers.
    Data::BasicInfo DecodeBasicInfo();
    // Decodes into a BGRAUInt8 buffer of stride x rows pixels.
    void Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);
    // Resolution in pixels per metre, as read by the last call.
    double XPixelsPerMetre() const noexcept { return _xResolution; }
    double YPixelsPerMetre() const noexcept { return _yResolution; }

    class Image2D;

private:
    SharedPtr<IStream> _stream;
    std::mutex _streamMutex;
    double _xResolution = 0, _yResolution = 0;
};

class BMPDecoder::Image2D final : public IImage2D {
public:
    explicit Image2D(SharedPtr<BMPDecoder> decoder) : _decoder(std::move(decoder)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(buffer, stride, rows, progress);
    }

private:
    SharedPtr<BMPDecoder> _decoder;
};

class BMPDecoderFactory final : public DecoderFactory<BMPDecoderFactory> {
public:
    String GetName() override { return "Brintavolex BMP Decoder"; }
    String GetExtensions() override { return "*.bmp;*.dib;*.rl4;*.rl8;*.rle;*.vga"; }
    TextPair GetFilterStrings() override
    {
        return {String("BMP-Dateien (*.bmp;*.dib;*.rl4;*.rl8;*.rle;*.vga)"),
                String("BMP files (*.bmp;*.dib;*.rl4;*.rl8;*.rle;*.vga)")};
    }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<BMPDecoder>(stream);
    }
};

} // namespace Brintavolex
