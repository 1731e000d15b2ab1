#include "RAW/src/RAWLayout.h"

#include "Platform/api/DecodeLimit.h"
#include "Platform/api/System.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace Brintavolex::RAW {

namespace {

// Big reads go in pieces so that progress moves and a cancel is heard.
constexpr std::uint64_t kReadPiece = std::uint64_t(16) << 20;

void LogSeconds(ILogger *logger, const char *what, std::int64_t from)
{
    if (!logger)
        return;
    const double seconds =
        double(Platform::PerformanceCounter() - from) / double(Platform::PerformanceFrequency());
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%g s", what, seconds);
    logger->Log(String(buffer));
}

void Report(const SharedPtr<IProgress> &progress, std::uint64_t done, std::uint64_t total)
{
    ReportProgress(progress, total == 0 ? 1.0 : double(done) / double(total));
}

} // namespace

Layout CheckLayout(const char *decoder, const RAWEntry &entry, IStream &stream, bool volume)
{
    const std::string name(decoder);
    Layout layout;
    layout.sampleSize = RAWSampleSize(entry.type);
    if (layout.sampleSize == 0)
        throw Exception(name + ": unknown data type");
    if (entry.x < 1 || entry.y < 1 || entry.z < 0 || entry.offset < 0 || (volume && entry.z < 1))
        throw Exception(name + ": invalid geometry " + std::to_string(entry.x) + " x " + std::to_string(entry.y) +
                        " x " + std::to_string(entry.z) + " from offset " + std::to_string(entry.offset));
    layout.type = Data::ColorType(entry.type);
    layout.x = std::uint64_t(entry.x);
    layout.y = std::uint64_t(entry.y);
    layout.z = volume ? std::uint64_t(entry.z) : 1;
    layout.offset = std::uint64_t(entry.offset);
    CheckDecodeLimit(decoder, layout.x, layout.y, layout.sampleSize, layout.z);
    // Within the decode limit, so the product fits; the offset may not.
    const std::uint64_t bytes = layout.PlaneBytes() * layout.z;
    const std::uint64_t size = stream.size();
    if (layout.offset > size || bytes > size - layout.offset)
        throw Exception(name + ": the file has " + std::to_string(size) + " bytes, but " + std::to_string(bytes) +
                        " bytes of samples after an offset of " + std::to_string(layout.offset) + " bytes need more");
    return layout;
}

void ReadBlock(IStream &stream, ILogger *logger, std::uint64_t position, std::uint8_t *out, std::uint64_t count,
               const SharedPtr<IProgress> &progress, std::uint64_t done, std::uint64_t total)
{
    std::int64_t t0 = Platform::PerformanceCounter();
    stream.seek(position);
    LogSeconds(logger, "Seek: ", t0);
    t0 = Platform::PerformanceCounter();
    for (std::uint64_t at = 0; at < count;) {
        const std::uint64_t piece = std::min(kReadPiece, count - at);
        stream.read(out + at, piece);
        at += piece;
        Report(progress, done + at, total);
    }
    LogSeconds(logger, "Read: ", t0);
}

void ReadRows(IStream &stream, ILogger *logger, std::uint64_t position, std::uint64_t rowBytes, std::uint64_t rows,
              std::uint8_t *out, std::uint64_t outStride, const SharedPtr<IProgress> &progress, std::uint64_t done,
              std::uint64_t total)
{
    if (outStride == rowBytes) {
        ReadBlock(stream, logger, position, out, rowBytes * rows, progress, done, total);
        return;
    }
    const std::int64_t t0 = Platform::PerformanceCounter();
    stream.seek(position);
    for (std::uint64_t row = 0; row < rows; ++row) {
        stream.read(out + row * outStride, rowBytes);
        if ((row & 255) == 255)
            Report(progress, done + (row + 1) * rowBytes, total);
    }
    Report(progress, done + rows * rowBytes, total);
    LogSeconds(logger, "Read+Copy: ", t0);
}

void CheckBuffer(const char *decoder, const void *buffer, std::uint64_t stride, std::uint64_t rows,
                 std::uint64_t width, std::uint64_t height)
{
    if (!buffer)
        throw Exception(std::string(decoder) + ": buffer is nullptr");
    if (stride < width || rows < height)
        throw Exception(std::string(decoder) + ": the buffer of " + std::to_string(stride) + " x " +
                        std::to_string(rows) + " is smaller than " + std::to_string(width) + " x " +
                        std::to_string(height));
}

} // namespace Brintavolex::RAW
