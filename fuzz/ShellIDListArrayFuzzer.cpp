// The shell's item-ID arrays come from another process: any block must end
// in a clean refusal or in lists that lie wholly inside it.
#include "this/src/FileList/ShellIDListArray.h"
#include "Root/api/Exception.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Brintavolex;

namespace {

void Touch(ItemIDList list)
{
    volatile std::uint8_t sink = 0;
    for (const std::uint8_t byte : list)
        sink = sink + byte;
    // Every list ends with its zero size.
    if (list.size() < 2 || list[list.size() - 1] != 0 || list[list.size() - 2] != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        const ShellIDListArray array(std::vector<std::uint8_t>(data, data + size));
        Touch(array.GetFolder());
        for (std::size_t i = 0; i < array.GetItemCount(); ++i)
            Touch(array.GetItem(i));
    } catch (const Exception &) {
    }
    return 0;
}
