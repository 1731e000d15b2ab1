#include "this/src/FileList/ShellIDListArray.h"

#include "Root/api/Exception.h"

#include <stdexcept>

namespace Brintavolex {

namespace {

constexpr std::size_t kCountSize = 4;
constexpr std::size_t kOffsetSize = 4;
constexpr std::size_t kItemSizeSize = 2;

std::uint32_t ReadUInt32(const std::vector<std::uint8_t> &block, std::size_t at)
{
    return std::uint32_t(block[at]) | std::uint32_t(block[at + 1]) << 8 | std::uint32_t(block[at + 2]) << 16 |
           std::uint32_t(block[at + 3]) << 24;
}

[[noreturn]] void Malformed(const char *problem)
{
    throw Exception(String("ShellIDListArray: ") + problem);
}

// Walks ID lists to their ends. The lists of a block the shell wrote lie
// apart, and every item takes at least 2 bytes, so all walks together take
// at most one step per 2 bytes of the block. Hostile blocks that point many
// offsets into one long chain run out of steps instead of taking
// quadratic time.
class ListWalker {
public:
    explicit ListWalker(const std::vector<std::uint8_t> &block) : _block(block), _stepsLeft(block.size() / kItemSizeSize)
    {
    }

    // One past the terminator of the list at offset.
    std::uint32_t EndOf(std::uint32_t offset)
    {
        std::size_t position = offset;
        for (;;) {
            if (_stepsLeft == 0)
                Malformed("the ID lists overlap");
            --_stepsLeft;
            if (position >= _block.size() || _block.size() - position < kItemSizeSize)
                Malformed("an ID list does not end inside the block");
            const std::size_t size = std::size_t(_block[position]) | std::size_t(_block[position + 1]) << 8;
            if (size == 0)
                return std::uint32_t(position + kItemSizeSize);
            if (size < kItemSizeSize)
                Malformed("an item is smaller than its size field");
            position += size;
        }
    }

private:
    const std::vector<std::uint8_t> &_block;
    std::size_t _stepsLeft;
};

} // namespace

ShellIDListArray::ShellIDListArray(std::vector<std::uint8_t> block) : _block(std::move(block))
{
    if (_block.size() > kMaximumSize)
        Malformed("the block is too large");
    if (_block.size() < kCountSize)
        Malformed("the block is too small");
    const std::uint64_t count = ReadUInt32(_block, 0);
    // The count, the folder's offset and one per item.
    if ((count + 2) * kOffsetSize > _block.size())
        Malformed("the block is too small for its item count");
    ListWalker walker(_block);
    const auto range = [&](std::size_t slot) {
        const std::uint32_t offset = ReadUInt32(_block, kCountSize + slot * kOffsetSize);
        if (offset >= _block.size())
            Malformed("an offset lies outside the block");
        return Range{offset, walker.EndOf(offset) - offset};
    };
    _folder = range(0);
    _items.reserve(std::size_t(count));
    for (std::size_t i = 0; i < count; ++i)
        _items.push_back(range(i + 1));
}

ItemIDList ShellIDListArray::GetItem(std::size_t index) const
{
    if (index >= _items.size())
        throw std::invalid_argument("ShellIDListArray::GetItem: index is out of range");
    return View(_items[index]);
}

} // namespace Brintavolex
