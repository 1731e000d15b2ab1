#include "this/src/DroppedData.h"

#include "Root/api/Exception.h"

#include <algorithm>

namespace Brintavolex {

namespace {

// The descriptor: a 32-bit count, then FILEDESCRIPTOR entries without
// padding, each ending in a name of kNameUnits units.
constexpr std::size_t kCountBytes = 4;
constexpr std::size_t kFlagsOffset = 0;
constexpr std::size_t kSizeHighOffset = 64;
constexpr std::size_t kSizeLowOffset = 68;
constexpr std::size_t kNameOffset = 72;
constexpr std::size_t kNameUnits = 260;
constexpr std::uint32_t kSizeGiven = 0x40; // FD_FILESIZE
// Enough per read that a large file takes few calls.
constexpr std::size_t kReadChunk = std::size_t(1) << 16;

std::uint32_t Read32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// The last component: a descriptor may name files inside folders.
String WithoutFolders(std::u16string name)
{
    const std::size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string::npos)
        name.erase(0, slash + 1);
    if (name.empty() || name == u"." || name == u"..")
        throw Exception("the dropped file has no name");
    return String(StringExpr(name));
}

} // namespace

DescribedFile FirstDescribedFile(const std::uint8_t *data, std::size_t size, bool wide)
{
    const std::size_t unitBytes = wide ? 2 : 1;
    const std::size_t entryBytes = kNameOffset + kNameUnits * unitBytes;
    if (!data || size < kCountBytes)
        throw Exception("the file descriptor of the drop is too short");
    // Only the first entry is read; the count just has to promise it.
    if (Read32(data) == 0)
        throw Exception("the drop describes no file");
    if (size - kCountBytes < entryBytes)
        throw Exception("the file descriptor of the drop is too short");
    const std::uint8_t *entry = data + kCountBytes;
    std::u16string name;
    for (std::size_t i = 0; i < kNameUnits; ++i) {
        const std::uint8_t *unit = entry + kNameOffset + i * unitBytes;
        const char16_t c = wide ? char16_t(unit[0] | unit[1] << 8) : Windows1252ToUTF16[unit[0]];
        if (c == 0)
            break;
        name.push_back(c);
        if (i + 1 == kNameUnits)
            throw Exception("the name in the drop's file descriptor has no end");
    }
    DescribedFile described{WithoutFolders(std::move(name)), std::nullopt};
    if (Read32(entry + kFlagsOffset) & kSizeGiven)
        described.size = std::uint64_t(Read32(entry + kSizeHighOffset)) << 32 | Read32(entry + kSizeLowOffset);
    return described;
}

std::vector<std::uint8_t> ReadVirtualFile(const ReadSome &read, std::optional<std::uint64_t> size,
                                          std::uint64_t limit)
{
    if (size && *size > limit)
        throw Exception("the dropped file is larger than the decode limit");
    const std::uint64_t wanted = size ? *size : limit + 1;
    std::vector<std::uint8_t> bytes;
    // Only what arrives is kept: a source handing out a few bytes per call
    // costs no more than one that fills the buffer.
    std::vector<std::uint8_t> buffer(kReadChunk);
    while (bytes.size() < wanted) {
        const std::size_t chunk = std::size_t(std::min<std::uint64_t>(kReadChunk, wanted - bytes.size()));
        const std::size_t got = std::min(read(buffer.data(), chunk), chunk);
        if (got == 0)
            break;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(got));
    }
    if (bytes.size() > limit)
        throw Exception("the dropped file is larger than the decode limit");
    return bytes;
}

} // namespace Brintavolex
