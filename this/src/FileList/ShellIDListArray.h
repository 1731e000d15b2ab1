#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Brintavolex {

// One item identifier list of the shell: SHITEMIDs (a 16-bit size counting
// itself, then data) up to and with the terminating zero size.
using ItemIDList = std::span<const std::uint8_t>;

// The shell's "Shell IDList Array" (CIDA) block: the item count n, n + 1
// offsets from the start of the block, the folder's ID list at the first
// offset and the items' at the others. The block comes from another
// process, so every count, offset and size in it is checked against the
// block before use.
class ShellIDListArray {
public:
    // The largest block taken (offsets stay 32-bit); views of real folders
    // need far less.
    static constexpr std::size_t kMaximumSize = std::size_t(1) << 30;

    ShellIDListArray() = default;
    // Throws Exception "ShellIDListArray: ..." for a malformed block: one
    // that cannot hold its count and offsets (4 * (n + 2) bytes), an offset
    // outside it, an ID list that does not end inside it, an item size below
    // 2, or lists that overlap so much that walking them would take more
    // than one step per 2 bytes.
    explicit ShellIDListArray(std::vector<std::uint8_t> block);

    std::size_t GetItemCount() const noexcept { return _items.size(); }
    ItemIDList GetFolder() const noexcept { return View(_folder); }
    ItemIDList GetItem(std::size_t index) const;

private:
    struct Range {
        std::uint32_t offset = 0, size = 0;
    };
    ItemIDList View(Range range) const noexcept { return {_block.data() + range.offset, range.size}; }

    std::vector<std::uint8_t> _block;
    Range _folder;
    std::vector<Range> _items;
};

} // namespace Brintavolex
