// A file whose status cannot be read is not opened as an empty stream. The
// failure is injected by standing in for fstat in this program.
#ifndef _WIN32
#include "Platform/api/Stream.h"
#include "Root/api/Exception.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace {
thread_local bool failStat = false;
}

extern "C" int fstat(int fd, struct stat *info)
{
    if (failStat) {
        errno = EIO;
        return -1;
    }
    using Real = int (*)(int, struct stat *);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fstat"));
    return real(fd, info);
}

namespace Brintavolex {

TEST(FileStream, AFileWhoseSizeCannotBeReadIsRefused)
{
    TestSupport::TempFolder folder;
    const String path = FromUTF8(folder.Write("data.bin", "abcdef"));
    failStat = true;
    try {
        FileStream stream(path);
        failStat = false;
        ADD_FAILURE() << "opened with size " << stream.size();
    } catch (const SystemErrorException &e) {
        failStat = false;
        EXPECT_TRUE(e.Operation() == String("GetFileSize"));
    }
    EXPECT_EQ(FileStream(path).size(), 6u);
}

} // namespace Brintavolex
#endif
