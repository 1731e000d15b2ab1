#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Stream.h"

#include <mutex>

namespace Brintavolex {

namespace JPG {
struct Structure;
}

// JPEG files of the baseline, progressive and lossless processes with
// Huffman coding. Pictures of up to 8 bits give BGRAUInt8; single-component
// lossless pictures of 9 to 16 bits give UInt16. Pixels come as stored: the
// Exif orientation is reported, not applied. Each call reads the stream
// again from 0, one call at a time.
class JPGDecoder : public IDecoder {
public:
    // How three components are taken: by the file's JFIF/Adobe segments, or
    // as the container says (TIFF's PhotometricInterpretation: its JPEG
    // streams carry neither segment).
    enum class Components { FromMarkers, YCbCr, RGB };

    // tables: a tables-only stream (SOI, DQT, DHT, DRI, EOI) whose tables are
    // in force before the stream's own, as TIFF's JPEGTables gives them.
    explicit JPGDecoder(SharedPtr<IStream> stream, SharedPtr<IStream> tables = nullptr,
                        Components components = Components::FromMarkers);

    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    // One composite per marker segment, named after the marker.
    SharedPtr<IProperty> GetProperty() override;

    Data::BasicInfo DecodeBasicInfo();
    // The Exif Orientation (1 to 8) of the last DecodeBasicInfo; 1 without
    // Exif or for a value out of range.
    std::uint16_t GetExifOrientation() const noexcept { return _orientation; }
    void Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);

    class Image2D;

private:
    std::vector<std::uint8_t> ReadAll(IStream &stream);
    JPG::Structure Parse(const std::vector<std::uint8_t> &file);

    SharedPtr<IStream> _stream, _tables;
    Components _components;
    std::mutex _streamMutex;
    std::uint16_t _orientation = 1;
};

class JPGDecoder::Image2D final : public IImage2D {
public:
    explicit Image2D(SharedPtr<JPGDecoder> decoder) : _decoder(std::move(decoder)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(buffer, stride, rows, progress);
    }
    std::uint16_t GetExifOrientation() override { return _decoder->GetExifOrientation(); }

private:
    SharedPtr<JPGDecoder> _decoder;
};

// What the factory hands out: owns a JPGDecoder around the stream and
// forwards to it, so that callers hold the file's decoder only as an IDecoder.
class JPGDecoderToBeDeleted final : public IDecoder {
public:
    explicit JPGDecoderToBeDeleted(SharedPtr<IStream> stream) : _decoder(MakeShared<JPGDecoder>(std::move(stream))) {}
    std::uint64_t GetCount() override { return _decoder->GetCount(); }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override { return _decoder->Get(index); }
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }

private:
    SharedPtr<JPGDecoder> _decoder;
};

class JPGDecoderFactory final : public DecoderFactory<JPGDecoderFactory> {
public:
    String GetName() override { return "Brintavolex JPEG Decoder"; }
    String GetExtensions() override { return "*.jpg;*.jpeg;*.jpe;*.jfif"; }
    TextPair GetFilterStrings() override
    {
        return {String("JPEG-Dateien (*.jpg;*.jpeg;*.jpe;*.jfif)"), String("JPEG files (*.jpg;*.jpeg;*.jpe;*.jfif)")};
    }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<JPGDecoderToBeDeleted>(stream);
    }
};

} // namespace Brintavolex
