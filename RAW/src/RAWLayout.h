#pragma once

#include "Data/api/ColorType.h"
#include "Platform/api/Logger.h"
#include "Platform/api/Stream.h"
#include "RAW/api/RAWDecoder.h"

#include <cstdint>

namespace Brintavolex::RAW {

// An entry checked against the stream it describes: every extent at least
// 1 and the samples within the stream.
struct Layout {
    std::uint64_t x = 0, y = 0, z = 1;
    std::uint64_t sampleSize = 0;
    std::uint64_t offset = 0;
    Data::ColorType type = Data::ColorType::Unknown;

    std::uint64_t RowBytes() const noexcept { return x * sampleSize; }
    std::uint64_t PlaneBytes() const noexcept { return x * y * sampleSize; }
    // Where row (y, z) begins in the stream.
    std::uint64_t RowStart(std::uint64_t row, std::uint64_t plane) const noexcept
    {
        return offset + (plane * y + row) * RowBytes();
    }
};

// decoder names the messages ("RAW2DDecoder"); a volume also counts Z. An
// unknown type, negative values, data beyond the stream or above the decode
// limit throw Exception.
Layout CheckLayout(const char *decoder, const RAWEntry &entry, IStream &stream, bool volume);

// Reads count bytes at position into out, in pieces, reporting progress from
// done / total on; logs "Seek: " and "Read: " with their seconds.
void ReadBlock(IStream &stream, ILogger *logger, std::uint64_t position, std::uint8_t *out, std::uint64_t count,
               const SharedPtr<IProgress> &progress, std::uint64_t done, std::uint64_t total);

// rows rows of rowBytes each from position on, into out rows outStride bytes
// apart: one block when they are contiguous there too, else row by row
// (logged as "Read+Copy: ").
void ReadRows(IStream &stream, ILogger *logger, std::uint64_t position, std::uint64_t rowBytes, std::uint64_t rows,
              std::uint8_t *out, std::uint64_t outStride, const SharedPtr<IProgress> &progress, std::uint64_t done,
              std::uint64_t total);

// Throws unless a buffer of stride x rows holds width x height.
void CheckBuffer(const char *decoder, const void *buffer, std::uint64_t stride, std::uint64_t rows,
                 std::uint64_t width, std::uint64_t height);

} // namespace Brintavolex::RAW
