#include "this/src/PlugIn.h"

#include "Root/api/String.h"
#include "Root/api/Exception.h"

#include <string>

namespace Brintavolex::PlugIn {

namespace {

[[noreturn]] void Refuse(const char *operation, const char *problem)
{
    throw Exception(String(operation) + ": " + problem);
}

} // namespace

bool RangeFits(std::uint64_t start, std::uint64_t count, std::uint64_t valueCount) noexcept
{
    return start <= valueCount && count <= valueCount - start;
}

void CheckItemCount(const char *operation, std::uint64_t count)
{
    if (count > kMaxItemCount)
        throw Exception(String(operation) + ": the plug-in reports " + std::to_string(count) +
                        " items, more than any file holds");
}

void CheckBasicInfo(const char *operation, const Data::BasicInfo &info)
{
    if (!Data::IsKnownColorType(info.colorType))
        Refuse(operation, "unknown color type");
    if (info.allocatedWidth != 0 && info.allocatedWidth < info.width)
        Refuse(operation, "allocated width is smaller than the width");
    if (info.allocatedHeight != 0 && info.allocatedHeight < info.height)
        Refuse(operation, "allocated height is smaller than the height");
}

void CheckBasicInfo3D(const char *operation, const Data::BasicInfo3D &info)
{
    if (!Data::IsKnownColorType(info.colorType))
        Refuse(operation, "unknown color type");
}

bool BufferHolds(std::uint64_t width, std::uint64_t height, std::uint64_t stride, std::uint64_t rows) noexcept
{
    return stride >= width && rows >= height;
}

} // namespace Brintavolex::PlugIn
