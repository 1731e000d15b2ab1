#include "win32/ProcessRunner.h"

#include <gtest/gtest.h>

namespace Brintavolex::Test {

TEST(ViewerProcess, StartsAndEndsWithExitCodeZero)
{
    EXPECT_EQ(RunProcess(L"\"" + ViewerPath() + L"\""), 0ul);
}

} // namespace Brintavolex::Test
