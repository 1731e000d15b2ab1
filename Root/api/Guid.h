#pragma once

#include <cstdint>
#include <cstring>

namespace Brintavolex {

// A 128-bit identifier in the layout of the Windows GUID (property keys,
// class identifiers).
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    friend bool operator==(const Guid &l, const Guid &r) noexcept { return std::memcmp(&l, &r, sizeof l) == 0; }
    friend bool operator!=(const Guid &l, const Guid &r) noexcept { return !(l == r); }
    friend bool operator<(const Guid &l, const Guid &r) noexcept { return std::memcmp(&l, &r, sizeof l) < 0; }
};

static_assert(sizeof(Guid) == 16, "GUID layout");

} // namespace Brintavolex
