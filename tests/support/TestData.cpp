#include "support/TestData.h"

#include <cstdlib>

namespace Brintavolex::TestSupport {

std::string TestDataPath(const std::string &relative)
{
    std::string root = BRINTAVOLEX_TEST_DATA_DIR;
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    if (!root.empty() && root.front() == '/')
        root = "Z:" + root;
#endif
    return root + "/" + relative;
}

String PathString(const std::string &path)
{
#ifdef _WIN32
    return String(StringExpr(path));
#else
    return FromUTF8(path);
#endif
}

bool UpdateGoldenFiles()
{
    return std::getenv("BRINTAVOLEX_UPDATE_GOLDEN") != nullptr;
}

} // namespace Brintavolex::TestSupport
