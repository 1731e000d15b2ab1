#include "TIF/api/TIFDecoder.h"

#include "JPG/api/JPGDecoder.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/Threading.h"
#include "TIF/api/TIFDirectory.h"
#include "TIF/src/TIFChunk.h"
#include "TIF/src/TIFLayout.h"
#include "TIF/src/TIFSamples.h"

#include <atomic>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Brintavolex {

using namespace TIF;

// One image: its directory, and for the images of an ImageJ stack how far
// its data lies behind the directory's.
struct TIFDecoder::Page {
    SharedPtr<ImageFileDirectory> ifd;
    std::uint64_t shift = 0;
    std::shared_ptr<const ImageLayout> layout; // read on first use
};

namespace {

constexpr char kImageJMark[] = "ImageJ";
constexpr char kImageJImages[] = "images=";

// n of "images=n" in an ImageJ description, or 0.
std::uint64_t ImageJImageCount(const std::string &description)
{
    if (description.rfind(kImageJMark, 0) != 0)
        return 0;
    const std::size_t at = description.find(kImageJImages);
    if (at == std::string::npos)
        return 0;
    const char *begin = description.data() + at + sizeof kImageJImages - 1;
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(begin, description.data() + description.size(), n);
    return error == std::errc() && end != begin ? n : 0;
}

// ImageJ writes a stack as one directory and its images one after the
// other, uncompressed, each laid out as the first: how far the data of
// images 1, 2, ... lies behind the directory's.
std::vector<std::uint64_t> ImageJShifts(const ImageFileDirectory &ifd, bool bigEndian, IStream &stream)
{
    const std::uint64_t images = ImageJImageCount(ifd.Text(Tag::ImageDescription));
    if (images <= 1)
        return {};
    ImageLayout layout;
    try {
        layout = ReadImageLayout(ifd, bigEndian, stream.size());
    } catch (const std::exception &) {
        return {}; // the image refuses itself when it is decoded
    }
    std::uint64_t imageBytes = 0;
    for (std::uint64_t count : layout.byteCounts)
        imageBytes += count;
    if (layout.compression != Compression::None || imageBytes == 0)
        throw Exception("ImageJ: images=n needs uncompressed images");
    const std::uint64_t first = layout.offsets.empty() ? 0 : layout.offsets[0];
    if ((stream.size() - first) / imageBytes < images)
        throw Exception(("ImageJ: images=" + std::to_string(images) + " needs more data than the file holds").c_str());
    std::vector<std::uint64_t> shifts;
    for (std::uint64_t i = 1; i < images; ++i)
        shifts.push_back(i * imageBytes);
    return shifts;
}

Data::BasicInfo3D Info3D(const ImageLayout &l)
{
    return {l.width, l.height, l.depth, l.colorType};
}

} // namespace

TIFDecoder::TIFDecoder(SharedPtr<IStream> stream, SharedPtr<ILogger> logger)
    : _stream(std::move(stream)), _logger(std::move(logger))
{
    if (!_stream)
        throw Exception("TIFDecoder::TIFDecoder: stream is nullptr");
}

TIFDecoder::~TIFDecoder() = default;

const TiffStructure &TIFDecoder::Structure()
{
    std::lock_guard<std::mutex> guard(_mutex);
    if (_structure)
        return *_structure;
    auto structure = std::make_unique<TiffStructure>(ReadTiffStructure(*_stream, ExtendedIFDSpecification));
    std::vector<Page> pages;
    for (const auto &ifd : structure->ifds)
        pages.push_back({ifd, 0, nullptr});
    if (pages.size() == 1)
        for (std::uint64_t shift : ImageJShifts(*pages[0].ifd, structure->byteOrder == ByteOrder::BigEndian, *_stream))
            pages.push_back({pages[0].ifd, shift, nullptr});
    if (_logger && pages.size() > structure->ifds.size())
        _logger->Log(String("Check ImageJ: ") + String::FromUnsigned(pages.size()) + " images");
    _pages = std::move(pages);
    _structure = std::move(structure);
    return *_structure;
}

const TIFDecoder::Page &TIFDecoder::PageAt(std::uint64_t index)
{
    Structure();
    if (index >= _pages.size())
        throw std::invalid_argument("TIFFDecoder::Get: image index must be less than image count");
    return _pages[std::size_t(index)];
}

const ImageLayout &TIFDecoder::LayoutOf(const Page &page)
{
    const bool bigEndian = Structure().byteOrder == ByteOrder::BigEndian;
    std::lock_guard<std::mutex> guard(_mutex);
    if (!page.layout)
        const_cast<Page &>(page).layout = std::make_shared<const ImageLayout>(ReadImageLayout(*page.ifd, bigEndian, _stream->size()));
    return *page.layout;
}

std::uint64_t TIFDecoder::GetCount()
{
    Structure();
    return _pages.size();
}

SharedPtr<ISceneItem> TIFDecoder::Get(std::uint64_t index)
{
    const Page &page = PageAt(index);
    const std::vector<std::uint64_t> depth = page.ifd->Unsigned(Tag::ImageDepth);
    if (!depth.empty() && depth[0] > 1)
        return MakeShared<Image3D>(SharedFromThis<TIFDecoder>(), index);
    return MakeShared<Image2D>(SharedFromThis<TIFDecoder>(), index);
}

SharedPtr<IProperty> TIFDecoder::GetProperty() { return Structure().GetProperty(); }

SharedPtr<ISceneItem> TIFDecoder::Image2D::Get(std::uint64_t)
{
    throw std::invalid_argument("TIFDecoder::Image2D::Get: an image has no children");
}

SharedPtr<ISceneItem> TIFDecoder::Image3D::Get(std::uint64_t)
{
    throw std::invalid_argument("TIFDecoder::Image3D::Get: a volume has no children");
}

Data::BasicInfo TIFDecoder::DecodeBasicInfo(std::uint64_t index)
{
    const ImageLayout &l = LayoutOf(PageAt(index));
    CheckDecodeLimit("TIFFDecoder", l.width, l.height, Data::PixelSize(l.colorType), l.depth);
    return Data::BasicInfo{l.width, l.height, l.width, l.height, l.colorType};
}

Data::BasicInfo3D TIFDecoder::DecodeBasicInfo3D(std::uint64_t index)
{
    const ImageLayout &l = LayoutOf(PageAt(index));
    CheckDecodeLimit("TIFFDecoder", l.width, l.height, Data::PixelSize(l.colorType), l.depth);
    return Info3D(l);
}

void TIFDecoder::Decode(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                        const SharedPtr<IProgress> &progress)
{
    DecodeSlices(index, false, buffer, stride, rows, progress);
}

void TIFDecoder::DecodeVolume(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                              const SharedPtr<IProgress> &progress)
{
    DecodeSlices(index, true, buffer, stride, rows, progress);
}

// The picture, or every slice of a volume one after the other.
void TIFDecoder::DecodeSlices(std::uint64_t index, bool allSlices, void *buffer, std::uint64_t stride,
                              std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    const Page &page = PageAt(index);
    const ImageLayout &l = LayoutOf(page);
    CheckDecodeLimit("TIFFDecoder", l.width, l.height, Data::PixelSize(l.colorType), l.depth);
    if (!buffer || stride < l.width || rows < l.height)
        throw std::invalid_argument("TIFFDecoder::Decode: the buffer is smaller than the picture");
    Destination d;
    d.base = static_cast<std::uint8_t *>(buffer);
    d.yStep = std::int64_t(stride);
    d.zStep = std::int64_t(stride * rows);
    d.x1 = l.width;
    d.y1 = l.height;
    d.z1 = allSlices ? l.depth : 1;
    DecodeWindow(page, d, progress);
}

void TIFDecoder::DecodeSlice(std::uint64_t index, SliceOrientation orientation, std::uint64_t k, void *buffer,
                             std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    const Page &page = PageAt(index);
    const ImageLayout &l = LayoutOf(page);
    Destination d;
    d.base = static_cast<std::uint8_t *>(buffer);
    d.x1 = l.width;
    d.y1 = l.height;
    d.z1 = l.depth;
    std::uint64_t width = l.width, height = l.height;
    switch (orientation) {
    case SliceOrientation::XY:
        if (k >= l.depth)
            throw std::out_of_range("TIFFDecoder::DecodeSlice: an XY slice index must be less than the depth");
        d.z0 = std::uint32_t(k);
        d.z1 = d.z0 + 1;
        d.yStep = std::int64_t(stride);
        break;
    case SliceOrientation::XZ:
        if (k >= l.height)
            throw std::out_of_range("TIFFDecoder::DecodeSlice: an XZ slice index must be less than the height");
        d.y0 = std::uint32_t(k);
        d.y1 = d.y0 + 1;
        d.zStep = std::int64_t(stride);
        height = l.depth;
        break;
    case SliceOrientation::YZ:
        if (k >= l.width)
            throw std::out_of_range("TIFFDecoder::DecodeSlice: a YZ slice index must be less than the width");
        d.x0 = std::uint32_t(k);
        d.x1 = d.x0 + 1;
        d.xStep = 0;
        d.yStep = 1;
        d.zStep = std::int64_t(stride);
        width = l.height;
        height = l.depth;
        break;
    }
    CheckDecodeLimit("TIFFDecoder", width, height, Data::PixelSize(l.colorType));
    if (!buffer || stride < width || rows < height)
        throw std::invalid_argument("TIFFDecoder::DecodeSlice: the buffer is smaller than the slice");
    DecodeWindow(page, d, progress);
}

std::span<const std::uint8_t> TIFDecoder::ReadChunk(const Page &page, std::uint64_t chunk,
                                                    std::vector<std::uint8_t> &copy)
{
    const ImageLayout &l = *page.layout;
    const std::uint64_t count = l.byteCounts[chunk];
    if (count == 0)
        throw Exception("LockStream::Lockstream: count must be greater than zero");
    // An uncompressed chunk never needs more than its samples.
    const std::uint64_t wanted = l.compression == Compression::None ? std::min(count, l.ChunkBytes(chunk)) : count;
    std::lock_guard<std::mutex> guard(_mutex);
    _stream->seek(l.offsets[chunk] + page.shift);
    if (auto *inPlace = dynamic_cast<Stream *>(_stream.Get())) {
        const StreamLock lock = inPlace->lock(wanted);
        if (lock.data)
            return {lock.data, std::size_t(wanted)}; // lent by a memory stream, which outlives the decoding
        _stream->seek(l.offsets[chunk] + page.shift);
    }
    copy.resize(std::size_t(wanted));
    _stream->read(copy.data(), wanted);
    return copy;
}

void TIFDecoder::DecodeWindow(const Page &page, const Destination &d, const SharedPtr<IProgress> &progress)
{
    const ImageLayout &l = *page.layout;
    std::vector<std::uint64_t> chunks;
    const std::uint64_t total = l.ChunksPerPlane() * l.Planes();
    for (std::uint64_t c = 0; c < total; ++c)
        if (d.Meets(l.ChunkPlace(c), l))
            chunks.push_back(c);
    CheckDecodeLimit("TIFFDecoder (one strip or tile)", l.ChunkRowBytes(), l.chunkHeight, 1, l.chunkDepth);
    const bool jpeg = l.compression == Compression::JPEG || l.compression == Compression::OldJPEG;
    const bool ycbcr = l.ycbcrH * l.ycbcrV > 1 || (l.photometric == Photometric::YCbCr && !jpeg);
    std::atomic<std::uint64_t> shortChunks{0};
    std::atomic<bool> cancelled{false};
    auto decodeRange = [&](unsigned worker, std::uint64_t begin, std::uint64_t end) {
        std::vector<std::uint8_t> copy, reversed, samples, rgb;
        for (std::uint64_t i = begin; i < end && !cancelled; ++i) {
            const std::uint64_t chunk = chunks[i];
            const std::span<const std::uint8_t> stored = ReadChunk(page, chunk, copy);
            if (jpeg) {
                if (l.compression == Compression::OldJPEG && (stored.size() < 2 || stored[0] != 0xFF || stored[1] != 0xD8))
                    throw Exception("old-style JPEG compression (6) is supported only where its strips are JPEG streams");
                JPGDecoder decoder(MakeShared<MemoryStream>(stored.data(), stored.size()),
                                   l.jpegTables.empty() ? nullptr
                                                        : MakeShared<MemoryStream>(l.jpegTables.data(), l.jpegTables.size()),
                                   l.photometric == Photometric::YCbCr ? JPGDecoder::Components::YCbCr
                                                                       : JPGDecoder::Components::RGB);
                const Data::BasicInfo info = decoder.DecodeBasicInfo();
                const std::uint32_t rows = l.ChunkRows(chunk);
                if (info.width < l.chunkWidth || info.height < rows)
                    throw Exception(("JPEG data of strip or tile " + std::to_string(chunk) + " is " +
                                     std::to_string(info.width) + " x " + std::to_string(info.height) +
                                     " pixels, smaller than the chunk").c_str());
                std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(info.width) * info.height);
                decoder.Decode(pixels.data(), info.width, info.height, nullptr);
                // To interleaved samples, one (grey) or three per pixel.
                const unsigned n = l.samples == 1 ? 1 : 3;
                rgb.resize(std::size_t(l.chunkWidth) * rows * n);
                for (std::uint32_t y = 0; y < rows; ++y)
                    for (std::uint32_t x = 0; x < l.chunkWidth; ++x) {
                        const auto &p = pixels[std::size_t(y) * info.width + x];
                        std::uint8_t *o = &rgb[(std::size_t(y) * l.chunkWidth + x) * n];
                        if (n == 1)
                            o[0] = p.g;
                        else
                            o[0] = p.r, o[1] = p.g, o[2] = p.b;
                    }
                StoreChunk(l, chunk, rgb.data(), std::uint64_t(l.chunkWidth) * n, ChunkSamples::Interleaved, d);
            } else {
                const DecompressedChunk decompressed = DecompressChunk(l, chunk, stored, reversed, samples);
                if (decompressed.made < l.ChunkBytes(chunk))
                    ++shortChunks;
                if (ycbcr) {
                    ExpandYCbCrChunk(l, chunk, decompressed.samples, rgb);
                    StoreChunk(l, chunk, rgb.data(), std::uint64_t(l.chunkWidth) * 3, ChunkSamples::Interleaved, d);
                } else {
                    StoreChunk(l, chunk, decompressed.samples, l.ChunkRowBytes(), ChunkSamples::AsStored, d);
                }
            }
            if (worker == 0 && progress && progress->SetProgress(double(i + 1 - begin) / double(end - begin)))
                cancelled = true;
        }
    };
    // JPEG chunks go one at a time: the JPEG decoder spreads each over the workers.
    if (jpeg)
        decodeRange(0, 0, chunks.size());
    else
        ParallelLoop::For(chunks.size(), decodeRange);
    if (cancelled)
        throw OperationCancelled();
    if (shortChunks && _logger)
        _logger->Log(String("TIFFDecoder: ") + String::FromUnsigned(shortChunks) +
                     " strips or tiles hold less data than their size; the rest is left black");
}

} // namespace Brintavolex
