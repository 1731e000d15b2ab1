#pragma once

// Checks of what crosses the plug-in boundary. A plug-in's answers are
// treated like data from a file: sizes, counts and offsets are checked
// before anything is allocated or indexed with them.
#include "Data/api/ColorType.h"
#include "Data/api/SceneItem.h"

#include <cstdint>

namespace Brintavolex::PlugIn {

// True when elements start .. start + count - 1 lie inside valueCount
// elements; start + count never wraps around.
bool RangeFits(std::uint64_t start, std::uint64_t count, std::uint64_t valueCount) noexcept;

// The most items (images of a decoder, children of a property) a plug-in may
// report: no file holds more, and a walk over a count beyond it would not end.
constexpr std::uint64_t kMaxItemCount = 0xFFFFFFFFu;
// Throws Exception "<operation>: ..." for a count above kMaxItemCount.
void CheckItemCount(const char *operation, std::uint64_t count);

// Basic information of an image or volume: a known pixel type and allocated
// extents of 0 or at least the picture's. Throws Exception
// "<operation>: ..." otherwise.
void CheckBasicInfo(const char *operation, const Data::BasicInfo &info);
void CheckBasicInfo3D(const char *operation, const Data::BasicInfo3D &info);

// True when a buffer of rows rows of stride pixels holds a picture of
// width x height.
bool BufferHolds(std::uint64_t width, std::uint64_t height, std::uint64_t stride, std::uint64_t rows) noexcept;

} // namespace Brintavolex::PlugIn
