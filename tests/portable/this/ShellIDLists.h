#pragma once

// Item-ID arrays as the shell lays them out, with names as item data.
#include <cstdint>
#include <string>
#include <vector>

namespace Brintavolex::TestSupport {

using Bytes = std::vector<std::uint8_t>;

inline void PutLE(Bytes &bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

// One SHITEMID per name (its size, the name's UTF-16 units), then the
// terminating zero size.
inline Bytes IDListOf(const std::vector<std::u16string> &names)
{
    Bytes list;
    for (const std::u16string &name : names) {
        PutLE(list, std::uint32_t(2 + 2 * name.size()), 2);
        for (const char16_t unit : name)
            PutLE(list, unit, 2);
    }
    PutLE(list, 0, 2);
    return list;
}

// The name an IDListOf({name}) holds.
inline std::u16string NameOf(const std::uint8_t *list, std::size_t size)
{
    std::u16string name;
    for (std::size_t i = 2; i + 1 < size - 2; i += 2)
        name.push_back(char16_t(list[i] | list[i + 1] << 8));
    return name;
}

// The count, the offsets of the folder and each item, then the lists.
inline Bytes ShellIDListBlock(const Bytes &folder, const std::vector<Bytes> &items)
{
    Bytes block;
    PutLE(block, std::uint32_t(items.size()), 4);
    std::uint32_t offset = std::uint32_t(4 * (items.size() + 2));
    PutLE(block, offset, 4);
    offset += std::uint32_t(folder.size());
    for (const Bytes &item : items) {
        PutLE(block, offset, 4);
        offset += std::uint32_t(item.size());
    }
    block.insert(block.end(), folder.begin(), folder.end());
    for (const Bytes &item : items)
        block.insert(block.end(), item.begin(), item.end());
    return block;
}

} // namespace Brintavolex::TestSupport
