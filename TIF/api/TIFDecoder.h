#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Logger.h"
#include "Platform/api/Stream.h"

#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace Brintavolex {

namespace TIF {
struct TiffStructure;
struct ImageLayout;
struct Destination;
} // namespace TIF

// Classic TIFF and BigTIFF files: one image per directory of the chain, or
// the images of an ImageJ stack behind one directory; a directory with an
// ImageDepth is a volume. Pixels come in the colour type the directory's
// samples call for; grey of 1, 2 or 4 bits is stretched to 0..255 and
// MinIsWhite grey is inverted, so that 0 shows white.
class TIFDecoder : public IDecoder {
public:
    explicit TIFDecoder(SharedPtr<IStream> stream, SharedPtr<ILogger> logger = nullptr);
    ~TIFDecoder() override;

    std::uint64_t GetCount() override;
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    // "Header", then "IFD 0", "IFD 1", ... with every tag under its name.
    SharedPtr<IProperty> GetProperty() override;

    Data::BasicInfo DecodeBasicInfo(std::uint64_t index);
    void Decode(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                const SharedPtr<IProgress> &progress);
    Data::BasicInfo3D DecodeBasicInfo3D(std::uint64_t index);
    // The whole volume: depth slices of rows rows of stride voxels.
    void DecodeVolume(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                      const SharedPtr<IProgress> &progress);
    // One slice: XY slice k is the plane z = k (width x height), XZ the
    // plane y = k (width x depth), YZ the plane x = k (height x depth).
    void DecodeSlice(std::uint64_t index, SliceOrientation orientation, std::uint64_t k, void *buffer,
                     std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress);

    class Image2D;
    class Image3D;

private:
    struct Page;
    const TIF::TiffStructure &Structure();
    const Page &PageAt(std::uint64_t index);
    const TIF::ImageLayout &LayoutOf(const Page &page);
    void DecodeSlices(std::uint64_t index, bool allSlices, void *buffer, std::uint64_t stride, std::uint64_t rows,
                      const SharedPtr<IProgress> &progress);
    void DecodeWindow(const Page &page, const TIF::Destination &destination, const SharedPtr<IProgress> &progress);
    // A chunk's stored bytes: in place when the stream lends them, else read into copy.
    std::span<const std::uint8_t> ReadChunk(const Page &page, std::uint64_t chunk, std::vector<std::uint8_t> &copy);

    SharedPtr<IStream> _stream;
    SharedPtr<ILogger> _logger;
    std::mutex _mutex; // the structure, and the stream's position
    std::unique_ptr<TIF::TiffStructure> _structure;
    std::vector<Page> _pages;
};

class TIFDecoder::Image2D final : public IImage2D {
public:
    Image2D(SharedPtr<TIFDecoder> decoder, std::uint64_t index) : _decoder(std::move(decoder)), _index(index) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(_index); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(_index, buffer, stride, rows, progress);
    }

private:
    SharedPtr<TIFDecoder> _decoder;
    std::uint64_t _index;
};

class TIFDecoder::Image3D final : public IImage3D {
public:
    Image3D(SharedPtr<TIFDecoder> decoder, std::uint64_t index) : _decoder(std::move(decoder)), _index(index) {}
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo3D &info) override { info = _decoder->DecodeBasicInfo3D(_index); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->DecodeVolume(_index, buffer, stride, rows, progress);
    }
    bool GetSlice(SliceOrientation orientation, std::uint64_t k, void *buffer, std::uint64_t stride,
                  std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->DecodeSlice(_index, orientation, k, buffer, stride, rows, progress);
        return true;
    }

private:
    SharedPtr<TIFDecoder> _decoder;
    std::uint64_t _index;
};

class TIFDecoderFactory final : public DecoderFactory<TIFDecoderFactory> {
public:
    String GetName() override { return "Brintavolex TIFF Decoder"; }
    String GetExtensions() override { return "*.tif;*.tiff"; }
    TextPair GetFilterStrings() override
    {
        return {String("TIFF-Dateien (*.tif;*.tiff)"), String("TIFF files (*.tif;*.tiff)")};
    }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override
    {
        return MakeShared<TIFDecoder>(stream, logger);
    }
};

} // namespace Brintavolex
