#pragma once

#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Logger.h"
#include "Platform/api/Stream.h"

#include <cstdint>
#include <mutex>

namespace Brintavolex {

namespace RAW {
struct Layout;
}

// What the user says about a headerless file: width X, height Y, depth Z (0
// for a 2D picture), the bytes before the first sample and the scalar colour
// type code. Samples are little-endian, rows and slices without padding.
struct RAWEntry {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
    std::int64_t offset = 0;
    std::uint8_t type = 0;

    friend bool operator==(const RAWEntry &, const RAWEntry &) = default;
};

// Bytes per sample of the ten scalar codes (SInt8 7 ... UInt64 64), else 0.
unsigned RAWSampleSize(std::int64_t type) noexcept;

// The verdict on values as the user typed them: accepted with the entry, or
// refused with a message for the user.
struct RAWEntryCheck {
    bool accepted = false;
    String message;
    RAWEntry entry;
};

// X and Y from 1, Z from 0 (all within 32 bits), Offset from 0, type one of
// the ten scalar codes, and X*Y*max(Z,1)*sample size + Offset, computed
// without overflow, equal to fileSize: the size the entry is kept under.
RAWEntryCheck CheckRAWEntry(std::int64_t x, std::int64_t y, std::int64_t z, std::int64_t offset, std::int64_t type,
                            std::uint64_t fileSize);

// The extension of a file name: the text after the last dot when no slash or
// backslash follows it, else empty.
String RAWExtensionOf(StringExpr fileName);

// Empty when the settings can keep the extension, else why not.
String CheckRAWExtension(StringExpr extension);

// A headerless 2D picture: one image, X x Y samples from Offset on.
class RAW2DDecoder : public IDecoder {
public:
    RAW2DDecoder(SharedPtr<IStream> stream, const RAWEntry &entry, SharedPtr<ILogger> logger = nullptr);

    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }

    const RAWEntry &Entry() const noexcept { return _entry; }
    // Checks the entry against the stream and the decode limit.
    Data::BasicInfo DecodeBasicInfo();
    void Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);

    class Image2D;

private:
    SharedPtr<IStream> _stream;
    RAWEntry _entry;
    SharedPtr<ILogger> _logger;
    std::mutex _mutex; // the stream's position
};

class RAW2DDecoder::Image2D final : public IImage2D {
public:
    explicit Image2D(SharedPtr<RAW2DDecoder> decoder) : _decoder(std::move(decoder)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(buffer, stride, rows, progress);
    }

private:
    SharedPtr<RAW2DDecoder> _decoder;
};

// A headerless volume: one item, Z slices of X x Y samples from Offset on.
class RAW3DDecoder : public IDecoder {
public:
    RAW3DDecoder(SharedPtr<IStream> stream, const RAWEntry &entry, SharedPtr<ILogger> logger = nullptr);

    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }

    const RAWEntry &Entry() const noexcept { return _entry; }
    Data::BasicInfo3D DecodeBasicInfo();
    // The whole volume: Z slices of rows rows of stride samples.
    void DecodeVolume(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);
    // XY slice k is the plane z = k (X x Y), XZ the plane y = k (X x Z), YZ
    // the plane x = k (Y x Z); rows of stride samples.
    void DecodeSlice(SliceOrientation orientation, std::uint64_t k, void *buffer, std::uint64_t stride,
                     std::uint64_t rows, const SharedPtr<IProgress> &progress);

    class Image3D;

private:
    void GatherYZ(const RAW::Layout &layout, std::uint64_t k, std::uint8_t *out, std::uint64_t rowStride,
                  const SharedPtr<IProgress> &progress);

    SharedPtr<IStream> _stream;
    RAWEntry _entry;
    SharedPtr<ILogger> _logger;
    std::mutex _mutex; // the stream's position
};

class RAW3DDecoder::Image3D final : public IImage3D {
public:
    explicit Image3D(SharedPtr<RAW3DDecoder> decoder) : _decoder(std::move(decoder)) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    void DecodeBasicInfo(Data::BasicInfo3D &info) override { info = _decoder->DecodeBasicInfo(); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->DecodeVolume(buffer, stride, rows, progress);
    }
    bool GetSlice(SliceOrientation orientation, std::uint64_t k, void *buffer, std::uint64_t stride,
                  std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->DecodeSlice(orientation, k, buffer, stride, rows, progress);
        return true;
    }

private:
    SharedPtr<RAW3DDecoder> _decoder;
};

// Factories of one fixed geometry (a slot that always opens its file so).
class RAW2DDecoderFactory : public DecoderFactory<RAW2DDecoderFactory> {
public:
    explicit RAW2DDecoderFactory(const RAWEntry &entry) : _entry(entry) {}
    String GetName() override { return "Brintavolex RAW 2D Decoder"; }
    String GetExtensions() override { return String(); }
    TextPair GetFilterStrings() override { return {String(), String()}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override
    {
        return MakeShared<RAW2DDecoder>(stream, _entry, logger);
    }

private:
    RAWEntry _entry;
};

class RAW3DDecoderFactory : public DecoderFactory<RAW3DDecoderFactory> {
public:
    explicit RAW3DDecoderFactory(const RAWEntry &entry) : _entry(entry) {}
    String GetName() override { return "Brintavolex RAW 3D Decoder"; }
    String GetExtensions() override { return String(); }
    TextPair GetFilterStrings() override { return {String(), String()}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override
    {
        return MakeShared<RAW3DDecoder>(stream, _entry, logger);
    }

private:
    RAWEntry _entry;
};

} // namespace Brintavolex
