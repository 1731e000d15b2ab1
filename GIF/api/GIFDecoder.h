#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Stream.h"

#include <memory>
#include <mutex>

namespace Brintavolex {

namespace GIF {
struct Structure;
class FrameComposer;
} // namespace GIF

// GIF87a and GIF89a files: frame i is the logical screen after images 0 to
// i, drawn with their transparency and disposal, always BGRAUInt8. The
// blocks are read once, on first use; the screen of the last frame decoded
// is kept, so that frames asked for in order cost one image each. One call
// at a time.
class GIFDecoder : public IDecoder {
public:
    explicit GIFDecoder(SharedPtr<IStream> stream);
    ~GIFDecoder() override;

    // The images whose data the file holds whole.
    std::uint64_t GetCount() override;
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    // "Header", "ScreenDescriptor", "Image[i]" with its blocks, the other
    // extensions, "End".
    SharedPtr<IProperty> GetProperty() override;

    Data::BasicInfo DecodeBasicInfo(std::uint64_t index);
    void Decode(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                const SharedPtr<IProgress> &progress);
    std::optional<std::uint32_t> GetDelayMilliseconds(std::uint64_t index);

    class ImageFromDecoderHack;

private:
    const GIF::Structure &Structure();
    // The logical screen's size; a screen of 0 x 0 takes the first image's.
    void ScreenSize(std::uint32_t &width, std::uint32_t &height);
    void CheckIndex(std::uint64_t index);

    SharedPtr<IStream> _stream;
    std::mutex _mutex; // the structure, the composer and the stream's position
    std::unique_ptr<GIF::Structure> _structure;
    std::unique_ptr<GIF::FrameComposer> _composer;
};

class GIFDecoder::ImageFromDecoderHack final : public IImage2D {
public:
    ImageFromDecoderHack(SharedPtr<GIFDecoder> decoder, std::uint64_t index)
        : _decoder(std::move(decoder)), _index(index)
    {
    }
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(_index); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(_index, buffer, stride, rows, progress);
    }
    std::optional<std::uint32_t> GetFrameDelayMilliseconds() override { return _decoder->GetDelayMilliseconds(_index); }

private:
    SharedPtr<GIFDecoder> _decoder;
    std::uint64_t _index;
};

class GIFDecoderFactory final : public DecoderFactory<GIFDecoderFactory> {
public:
    String GetName() override { return "Brintavolex GIF Decoder"; }
    String GetExtensions() override { return "*.gif"; }
    TextPair GetFilterStrings() override
    {
        return {String("GIF-Dateien (*.gif)"), String("GIF files (*.gif)")};
    }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<GIFDecoder>(stream);
    }
};

} // namespace Brintavolex
