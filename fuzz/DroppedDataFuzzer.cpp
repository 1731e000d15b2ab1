// What another program drops: a file group descriptor, then contents read
// by its size. Any bytes must end in a clean refusal or a name and contents
// within the limit.
#include "Root/api/Exception.h"
#include "this/src/DroppedData.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::uint64_t kLimit = 1 << 20;
    if (size == 0)
        return 0;
    const bool wide = data[0] & 1;
    try {
        const DescribedFile described = FirstDescribedFile(data + 1, size - 1, wide);
        if (described.name.Empty())
            std::abort();
        // The same bytes once more as the contents, a few at a time.
        std::size_t at = 0;
        const std::vector<std::uint8_t> contents = ReadVirtualFile(
            [&](std::uint8_t *buffer, std::size_t capacity) {
                const std::size_t n = std::min({capacity, std::size_t(data[at % size]) + 1, size - at});
                std::memcpy(buffer, data + at, n);
                at += n;
                return n;
            },
            described.size, kLimit);
        if (contents.size() > size || (described.size && contents.size() > *described.size))
            std::abort();
    } catch (const Exception &) {
    }
    return 0;
}
