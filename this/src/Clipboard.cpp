#include "this/src/Clipboard.h"

#include "Platform/api/CommandTexts.h"
#include "Platform/api/Language.h"
#include "Root/api/Exception.h"

namespace Brintavolex {

namespace {
// BITMAPCOREHEADER, the smallest, and BITMAPV5HEADER, the largest.
constexpr std::uint32_t kSmallestHeader = 12, kLargestHeader = 124;
constexpr std::size_t kHeaderSizeField = 4;
} // namespace

void CheckPastedDib(const std::vector<std::uint8_t> &dib)
{
    if (dib.size() < kHeaderSizeField)
        throw Exception("Paste: the clipboard's bitmap is too short");
    const std::uint32_t header = std::uint32_t(dib[0]) | std::uint32_t(dib[1]) << 8 | std::uint32_t(dib[2]) << 16 |
                                 std::uint32_t(dib[3]) << 24;
    if (header < kSmallestHeader || header > kLargestHeader)
        throw Exception("Paste: the clipboard's bitmap has a header of unknown size " + std::to_string(header));
    if (header > dib.size())
        throw Exception("Paste: the clipboard's bitmap is too short");
}

String PastedDibName() { return Locale::Pick(Texts::Clipboard) + ".dib"; }

} // namespace Brintavolex
