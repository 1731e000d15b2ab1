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

std::vector<String> GetIconNames()
{
    std::vector<String> names;
    for (std::size_t i = 0; i < IconTable::entryCount; ++i)
        if (names.empty() || !SameName(names.back(), IconTable::entries[i].fileName))
            names.emplace_back(IconTable::entries[i].fileName);
    return names;
}

} // namespace Brintavolex::GUI
