#pragma once

// The table that tools/make_icons.py writes into the build folder.

#include <cstddef>
#include <cstdint>

namespace Brintavolex::GUI::IconTable {

struct Entry {
    const char *fileName;
    std::int32_t scale, width, height;
    std::size_t offset; // into pixels
};

extern const Entry entries[];
extern const std::size_t entryCount;
extern const char pixels[];
extern const std::size_t pixelBytes;

} // namespace Brintavolex::GUI::IconTable
