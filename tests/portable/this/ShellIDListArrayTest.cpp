#include "this/src/FileList/ShellIDListArray.h"

#include "portable/this/ShellIDLists.h"
#include "support/Thrown.h"
#include "Root/api/Exception.h"

#include <gtest/gtest.h>

namespace Brintavolex {

using TestSupport::Bytes;
using TestSupport::IDListOf;
using TestSupport::PutLE;
using TestSupport::ShellIDListBlock;

namespace {

Bytes Of(ItemIDList list) { return Bytes(list.begin(), list.end()); }

std::string Refusal(Bytes block)
{
    return Thrown([&] { ShellIDListArray{std::move(block)}; });
}

} // namespace

TEST(ShellIDListArray, GivesTheFolderAndEveryItemInOrder)
{
    const Bytes folder = IDListOf({u"C:", u"Pictures", u"Holiday"});
    const std::vector<Bytes> items{IDListOf({u"b.jpg"}), IDListOf({u"a-much-longer-name.png"}), IDListOf({u""}),
                                   IDListOf({u"sub", u"deeper.tif"})};
    const ShellIDListArray array(ShellIDListBlock(folder, items));
    EXPECT_EQ(Of(array.GetFolder()), folder);
    ASSERT_EQ(array.GetItemCount(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(Of(array.GetItem(i)), items[i]);
    EXPECT_THROW(array.GetItem(items.size()), std::invalid_argument);
    EXPECT_EQ(ShellIDListArray(ShellIDListBlock(IDListOf({}), {})).GetItemCount(), 0u);

    // Every shorter block cuts the last list (or the offsets) and is refused.
    const Bytes block = ShellIDListBlock(folder, items);
    for (std::size_t size = 0; size < block.size(); ++size)
        EXPECT_THROW(ShellIDListArray(Bytes(block.begin(), block.begin() + long(size))), Exception) << size;
}

TEST(ShellIDListArray, RefusesBlocksWhoseCountsOffsetsOrSizesLieOutside)
{
    const Bytes good = ShellIDListBlock(IDListOf({u"F"}), {IDListOf({u"a"}), IDListOf({u"b"})});
    const auto patched = [&](std::size_t at, std::uint32_t value, int size) {
        Bytes block = good;
        Bytes le;
        PutLE(le, value, size);
        std::copy(le.begin(), le.end(), block.begin() + long(at));
        return block;
    };
    // The count claims more offsets than the block holds, or wraps 32 bits.
    EXPECT_EQ(Refusal(patched(0, 0xFFFFFFFFu, 4)), "ShellIDListArray: the block is too small for its item count");
    EXPECT_EQ(Refusal(patched(0, 0xFFFFFFFEu, 4)), "ShellIDListArray: the block is too small for its item count");
    EXPECT_EQ(Refusal(patched(0, std::uint32_t(good.size() / 4 - 1), 4)),
              "ShellIDListArray: the block is too small for its item count");
    // Offsets at and beyond the end.
    EXPECT_EQ(Refusal(patched(8, std::uint32_t(good.size()), 4)), "ShellIDListArray: an offset lies outside the block");
    EXPECT_EQ(Refusal(patched(4, 0xFFFFFFFFu, 4)), "ShellIDListArray: an offset lies outside the block");
    // An offset on the last byte: no room for a size.
    EXPECT_EQ(Refusal(patched(12, std::uint32_t(good.size() - 1), 4)),
              "ShellIDListArray: an ID list does not end inside the block");
    // An item size that leaps past the end, and one that would not advance.
    const std::size_t lastItem = good.size() - 6;
    EXPECT_EQ(Refusal(patched(lastItem, 0xFFFF, 2)), "ShellIDListArray: an ID list does not end inside the block");
    EXPECT_EQ(Refusal(patched(lastItem, 1, 2)), "ShellIDListArray: an item is smaller than its size field");
    EXPECT_EQ(Refusal(patched(good.size() - 2, 2, 2)), "ShellIDListArray: an ID list does not end inside the block");

    // Many offsets into one long chain: refused in linear time.
    constexpr std::uint32_t kOffsets = 20000, kChain = 20000;
    Bytes chain;
    PutLE(chain, kOffsets, 4);
    const std::uint32_t start = 4 * (kOffsets + 2);
    for (std::uint32_t i = 0; i <= kOffsets; ++i)
        PutLE(chain, start, 4);
    for (std::uint32_t i = 0; i < kChain; ++i)
        PutLE(chain, 2, 2);
    PutLE(chain, 0, 2);
    EXPECT_EQ(Refusal(chain), "ShellIDListArray: the ID lists overlap");
}

} // namespace Brintavolex
