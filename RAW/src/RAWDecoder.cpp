#include "RAW/api/RAWDecoder.h"

#include "RAW/src/RAWLayout.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace Brintavolex {

using RAW::CheckBuffer;
using RAW::CheckLayout;
using RAW::Layout;
using RAW::ReadRows;

namespace {

constexpr const char *k2D = "RAW2DDecoder";
constexpr const char *k3D = "RAW3DDecoder";

// A YZ slice takes one sample of every row. Where the stream can be neither
// mapped nor lent, rows this long are read sample
// by sample; shorter ones in bands of whole rows, whose copy costs less than
// a read per sample.
constexpr std::uint64_t kSampleReadRowBytes = std::uint64_t(16) << 10;
constexpr std::uint64_t kBandBytes = std::uint64_t(1) << 20;

SharedPtr<IStream> Required(SharedPtr<IStream> stream, const char *decoder)
{
    if (!stream)
        throw Exception(std::string(decoder) + ": stream is nullptr");
    return stream;
}

} // namespace

RAW2DDecoder::RAW2DDecoder(SharedPtr<IStream> stream, const RAWEntry &entry, SharedPtr<ILogger> logger)
    : _stream(Required(std::move(stream), k2D)), _entry(entry), _logger(std::move(logger))
{
}

SharedPtr<ISceneItem> RAW2DDecoder::Get(std::uint64_t index)
{
    if (index != 0)
        throw std::invalid_argument("RAW2DDecoder::Get: image index must be less than image count");
    return MakeShared<Image2D>(SharedFromThis<RAW2DDecoder>());
}

SharedPtr<ISceneItem> RAW2DDecoder::Image2D::Get(std::uint64_t)
{
    throw std::invalid_argument("RAW2DDecoder::Image2D::Get: an image has no children");
}

Data::BasicInfo RAW2DDecoder::DecodeBasicInfo()
{
    std::lock_guard<std::mutex> guard(_mutex);
    const Layout l = CheckLayout(k2D, _entry, *_stream, false);
    return Data::BasicInfo{std::uint32_t(l.x), std::uint32_t(l.y), std::uint32_t(l.x), std::uint32_t(l.y), l.type};
}

void RAW2DDecoder::Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_mutex);
    const Layout l = CheckLayout(k2D, _entry, *_stream, false);
    CheckBuffer(k2D, buffer, stride, rows, l.x, l.y);
    ReadRows(*_stream, _logger.Get(), l.offset, l.RowBytes(), l.y, static_cast<std::uint8_t *>(buffer),
             stride * l.sampleSize, progress, 0, l.PlaneBytes());
}

RAW3DDecoder::RAW3DDecoder(SharedPtr<IStream> stream, const RAWEntry &entry, SharedPtr<ILogger> logger)
    : _stream(Required(std::move(stream), k3D)), _entry(entry), _logger(std::move(logger))
{
}

SharedPtr<ISceneItem> RAW3DDecoder::Get(std::uint64_t index)
{
    if (index != 0)
        throw std::invalid_argument("RAW3DDecoder::Get: image index must be less than image count");
    return MakeShared<Image3D>(SharedFromThis<RAW3DDecoder>());
}

SharedPtr<ISceneItem> RAW3DDecoder::Image3D::Get(std::uint64_t)
{
    throw std::invalid_argument("RAW3DDecoder::Image3D::Get: a volume has no children");
}

Data::BasicInfo3D RAW3DDecoder::DecodeBasicInfo()
{
    std::lock_guard<std::mutex> guard(_mutex);
    const Layout l = CheckLayout(k3D, _entry, *_stream, true);
    return Data::BasicInfo3D{std::uint32_t(l.x), std::uint32_t(l.y), std::uint32_t(l.z), l.type};
}

void RAW3DDecoder::DecodeVolume(void *buffer, std::uint64_t stride, std::uint64_t rows,
                                const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_mutex);
    const Layout l = CheckLayout(k3D, _entry, *_stream, true);
    CheckBuffer(k3D, buffer, stride, rows, l.x, l.y);
    auto *out = static_cast<std::uint8_t *>(buffer);
    const std::uint64_t rowStride = stride * l.sampleSize;
    if (stride == l.x && rows == l.y) {
        ReadRows(*_stream, _logger.Get(), l.offset, l.RowBytes(), l.y * l.z, out, rowStride, progress, 0,
                 l.PlaneBytes() * l.z);
        return;
    }
    for (std::uint64_t z = 0; z < l.z; ++z)
        ReadRows(*_stream, _logger.Get(), l.RowStart(0, z), l.RowBytes(), l.y, out + z * rows * rowStride, rowStride,
                 progress, z * l.PlaneBytes(), l.PlaneBytes() * l.z);
}

void RAW3DDecoder::DecodeSlice(SliceOrientation orientation, std::uint64_t k, void *buffer, std::uint64_t stride,
                               std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_mutex);
    const Layout l = CheckLayout(k3D, _entry, *_stream, true);
    auto *out = static_cast<std::uint8_t *>(buffer);
    const std::uint64_t rowStride = stride * l.sampleSize;
    switch (orientation) {
    case SliceOrientation::XY:
        if (k >= l.z)
            throw std::invalid_argument("RAW3DDecoder: XY slice index must be less than the depth");
        CheckBuffer(k3D, buffer, stride, rows, l.x, l.y);
        ReadRows(*_stream, _logger.Get(), l.RowStart(0, k), l.RowBytes(), l.y, out, rowStride, progress, 0,
                 l.PlaneBytes());
        return;
    case SliceOrientation::XZ:
        if (k >= l.y)
            throw std::invalid_argument("RAW3DDecoder: XZ slice index must be less than the height");
        CheckBuffer(k3D, buffer, stride, rows, l.x, l.z);
        for (std::uint64_t z = 0; z < l.z; ++z) {
            _stream->seek(l.RowStart(k, z));
            _stream->read(out + z * rowStride, l.RowBytes());
            ReportProgress(progress, double(z + 1) / double(l.z));
        }
        return;
    case SliceOrientation::YZ:
        if (k >= l.x)
            throw std::invalid_argument("RAW3DDecoder: YZ slice index must be less than the width");
        CheckBuffer(k3D, buffer, stride, rows, l.y, l.z);
        GatherYZ(l, k, out, rowStride, progress);
        return;
    }
    throw Exception("RAW3DDecoder: invalid arguments, get is only implemented for XY/XZ/YZ-planes");
}

void RAW3DDecoder::GatherYZ(const Layout &l, std::uint64_t k, std::uint8_t *out, std::uint64_t rowStride,
                            const SharedPtr<IProgress> &progress)
{
    const std::uint64_t size = l.sampleSize, rowBytes = l.RowBytes(), rowCount = l.y * l.z;
    // Global row r is row r % Y of plane r / Y: sample (y, z) of the slice.
    auto target = [&](std::uint64_t r) { return out + (r / l.y) * rowStride + (r % l.y) * size; };
    auto gather = [&](const std::uint8_t *volume) {
        const std::uint8_t *from = volume + k * size;
        // A copy of constant size is a single move.
        auto copy = [&]<std::size_t N>(std::integral_constant<std::size_t, N>) {
            for (std::uint64_t z = 0, r = 0; z < l.z; ++z) {
                std::uint8_t *row = out + z * rowStride;
                for (std::uint64_t y = 0; y < l.y; ++y, ++r)
                    std::memcpy(row + y * N, from + r * rowBytes, N);
            }
        };
        switch (size) {
        case 1: copy(std::integral_constant<std::size_t, 1>{}); break;
        case 2: copy(std::integral_constant<std::size_t, 2>{}); break;
        case 4: copy(std::integral_constant<std::size_t, 4>{}); break;
        default: copy(std::integral_constant<std::size_t, 8>{}); break;
        }
        ReportProgress(progress, 1.0);
    };
    // A stream over memory lends the samples in place; a mapped file brings
    // in the pages touched instead of copying every row.
    if (auto *file = dynamic_cast<FileStream *>(_stream.Get())) {
        if (const std::unique_ptr<MappedFile> mapped = file->Map(); mapped && mapped->Size() == file->size()) {
            gather(mapped->Data() + l.offset);
            return;
        }
    } else if (auto *lending = dynamic_cast<Stream *>(_stream.Get())) {
        _stream->seek(l.offset);
        if (const StreamLock lock = lending->lock(l.PlaneBytes() * l.z); lock.data) {
            gather(lock.data);
            return;
        }
    }
    if (rowBytes >= kSampleReadRowBytes) {
        for (std::uint64_t r = 0; r < rowCount; ++r) {
            _stream->seek(l.offset + r * rowBytes + k * size);
            _stream->read(target(r), size);
            if ((r & 1023) == 1023)
                ReportProgress(progress, double(r + 1) / double(rowCount));
        }
        ReportProgress(progress, 1.0);
        return;
    }
    const std::uint64_t bandRows = std::max<std::uint64_t>(1, kBandBytes / rowBytes);
    std::vector<std::uint8_t> band(std::size_t(std::min(bandRows, rowCount) * rowBytes));
    for (std::uint64_t r0 = 0; r0 < rowCount; r0 += bandRows) {
        const std::uint64_t n = std::min(bandRows, rowCount - r0);
        // From the first wanted sample to the end of the last one.
        _stream->seek(l.offset + r0 * rowBytes + k * size);
        _stream->read(band.data(), (n - 1) * rowBytes + size);
        for (std::uint64_t i = 0; i < n; ++i)
            std::memcpy(target(r0 + i), band.data() + i * rowBytes, size);
        ReportProgress(progress, double(r0 + n) / double(rowCount));
    }
}

} // namespace Brintavolex
