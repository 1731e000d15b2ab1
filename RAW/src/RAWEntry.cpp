#include "RAW/api/RAWDecoder.h"

#include "Data/api/ColorType.h"

#include <limits>

namespace Brintavolex {

namespace {

constexpr std::int64_t kMaxExtent = std::numeric_limits<std::int32_t>::max();

String Decimal(std::int64_t value) { return String::FromInteger(value); }

RAWEntryCheck Refuse(String message)
{
    RAWEntryCheck check;
    check.message = std::move(message);
    return check;
}

} // namespace

unsigned RAWSampleSize(std::int64_t type) noexcept
{
    switch (type) {
    case 7: case 8: return 1;
    case 15: case 16: return 2;
    case 23: case 31: case 32: return 4;
    case 52: case 63: case 64: return 8;
    default: return 0;
    }
}

RAWEntryCheck CheckRAWEntry(std::int64_t x, std::int64_t y, std::int64_t z, std::int64_t offset, std::int64_t type,
                            std::uint64_t fileSize)
{
    if (x < 1 || x > kMaxExtent)
        return Refuse("X must be a whole number from 1 to " + Decimal(kMaxExtent) + ", not " + Decimal(x));
    if (y < 1 || y > kMaxExtent)
        return Refuse("Y must be a whole number from 1 to " + Decimal(kMaxExtent) + ", not " + Decimal(y));
    if (z < 0 || z > kMaxExtent)
        return Refuse("Z must be empty or a whole number from 0 to " + Decimal(kMaxExtent) + ", not " + Decimal(z));
    if (offset < 0)
        return Refuse("Offset must not be negative, not " + Decimal(offset));
    const unsigned sampleSize = RAWSampleSize(type);
    if (sampleSize == 0)
        return Refuse("Data Type " + Decimal(type) +
                      " is no scalar type (SInt8, UInt8, SInt16, UInt16, SInt32, UInt32, SInt64, UInt64, Float32, "
                      "Float64)");
    // Extents below 2^31 and samples of at most 8 bytes: each product needs
    // at most 128 bits.
    const unsigned __int128 bytes = static_cast<unsigned __int128>(std::uint64_t(x) * std::uint64_t(y)) *
                                        std::uint64_t(z == 0 ? 1 : z) * sampleSize +
                                    std::uint64_t(offset);
    const String described = Decimal(x) + " x " + Decimal(y) + (z == 0 ? String() : " x " + Decimal(z)) +
                             " samples of " + Decimal(sampleSize) + (sampleSize == 1 ? " byte" : " bytes") +
                             " after an offset of " + Decimal(offset) + " bytes";
    if (bytes > std::numeric_limits<std::uint64_t>::max())
        return Refuse(described + " need more than 2^64 bytes, but the file has " +
                      String::FromUnsigned(fileSize) + " bytes");
    if (std::uint64_t(bytes) != fileSize)
        return Refuse(described + " make " + String::FromUnsigned(std::uint64_t(bytes)) +
                      " bytes, but the file has " + String::FromUnsigned(fileSize) + " bytes");
    RAWEntryCheck check;
    check.accepted = true;
    check.entry = RAWEntry{std::int32_t(x), std::int32_t(y), std::int32_t(z), offset, std::uint8_t(type)};
    return check;
}

String RAWExtensionOf(StringExpr fileName)
{
    const std::u16string name = String(fileName).ToU16String();
    const std::size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || name.find_first_of(u"/\\", dot) != std::u16string::npos)
        return String();
    return String(StringExpr(std::u16string_view(name).substr(dot + 1)));
}

String CheckRAWExtension(StringExpr extension)
{
    const std::u16string units = String(extension).ToU16String();
    for (const char16_t unit : units) {
        // The settings file names sub-keys in brackets, one per line, in
        // Windows-1252.
        const bool storable = unit >= 0x20 && unit != u']' && unit != u'[' && unit != 0x7F &&
                              (UTF16ToWindows1252(unit) != '?' || unit == u'?');
        if (!storable)
            return "The extension \"" + String(extension) +
                   "\" cannot be kept in the settings: brackets, control characters and characters outside "
                   "Windows-1252 are not allowed";
    }
    return String();
}

} // namespace Brintavolex
