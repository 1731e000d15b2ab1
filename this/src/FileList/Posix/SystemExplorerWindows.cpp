#include "this/src/FileList/ExplorerWindows.h"

namespace Brintavolex {

namespace {

// Without Explorer, lists fall back to folder order.
class NoExplorerWindows final : public IExplorerWindows {
public:
    std::vector<SharedPtr<IExplorerWindow>> GetWindows() override { return {}; }
};

} // namespace

SharedPtr<IExplorerWindows> SystemExplorerWindows() { return MakeShared<NoExplorerWindows>(); }

} // namespace Brintavolex
