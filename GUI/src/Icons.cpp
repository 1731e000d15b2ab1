#include "GUI/api/Icons.h"

#include "GUI/src/IconTable.h"
#include "Platform/api/Ascii.h"
#include "Root/api/Exception.h"

#include <cmath>
#include <cstring>

namespace Brintavolex::GUI {

namespace {

bool SameName(StringExpr name, const char *entry) noexcept
{
    const std::size_t length = std::strlen(entry);
    if (name.Length() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (ToLowerAscii(name.Unit(i)) != ToLowerAscii(std::uint32_t(static_cast<unsigned char>(entry[i]))))
            return false;
    return true;
}

} // namespace

IconPixels GetIcon(StringExpr fileName, double scale)
{
    // Nearest of the two drawn scales; 1.5 and below (and NaN) take 100 %.
    const std::int32_t wanted = scale > 1.5 ? 2 : 1;
    for (std::size_t i = 0; i < IconTable::entryCount; ++i) {
        const IconTable::Entry &entry = IconTable::entries[i];
        if (entry.scale == wanted && SameName(fileName, entry.fileName))
            return IconPixels{entry.width, entry.height, entry.scale,
                              reinterpret_cast<const std::uint8_t *>(IconTable::pixels) + entry.offset};
    }
    throw Exception("GetIcon: unknown icon \"" + String(fileName) + "\"");
}

SharedPtr<Data::Image2DBase> GetIconImage(StringExpr fileName, double scale)
{
    const IconPixels icon = GetIcon(fileName, scale);
    // The image only reads its buffer: the pixels stay constant.
    return Data::CreateExternalBufferImage2D(const_cast<std::uint8_t *>(icon.bgra), Data::ColorType::BGRAUInt8,
                                             std::uint64_t(icon.width), std::uint64_t(icon.height),
                                             std::uint64_t(icon.width), std::uint64_t(icon.height));
}

std::vector<String> GetIconNames()
{
    std::vector<String> names;
    for (std::size_t i = 0; i < IconTable::entryCount; ++i)
        if (names.empty() || !SameName(names.back(), IconTable::entries[i].fileName))
            names.emplace_back(IconTable::entries[i].fileName);
    return names;
}

} // namespace Brintavolex::GUI
