#include "Interface/api/MemoryPropertyTree.h"
#include "support/PropertyBackEndChecks.h"

namespace Brintavolex {
namespace {

TEST(MemoryPropertyTree, BehavesAsTheRegistryDoes)
{
    const auto root = MakeShared<MemoryPropertyKey>();
    TestSupport::CheckPropertyBackEnd([&] { return SharedPtr<PropertyWriter>(new MemoryPropertyWriter(root)); },
                                      [&] { return SharedPtr<PropertyReader>(new MemoryPropertyReader(root)); });
}

} // namespace
} // namespace Brintavolex
