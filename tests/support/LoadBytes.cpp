#include "support/LoadBytes.h"

#include "this/src/Codecs.h"
#include "this/src/Logger.h"

#include <memory>
#include <vector>

namespace Brintavolex::TestSupport {

LoadedItem LoadBytes(const std::string &bytes, const char *name)
{
    static std::vector<std::unique_ptr<std::string>> kept;
    kept.push_back(std::make_unique<std::string>(bytes));
    UseApplicationCodecs();
    auto stream = MakeShared<MemoryStream>(kept.back()->data(), bytes.size());
    return LoadFromStream(stream, name, {MakeShared<FirstIndex>()}, MakeShared<NullLogger>());
}

} // namespace Brintavolex::TestSupport
