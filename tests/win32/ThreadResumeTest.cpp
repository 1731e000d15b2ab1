// Resuming a suspended thread: a handle that may not resume it is refused
// once, not asked again without end.
#include "Platform/src/Win32/ThreadResume.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Brintavolex {

namespace {
DWORD WINAPI ReturnsSeven(void *) { return 7; }
} // namespace

TEST(ThreadResume, AHandleWithoutTheRightToResumeIsRefusedOnce)
{
    const HANDLE thread = CreateThread(nullptr, 0, &ReturnsSeven, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(thread);
    ASSERT_EQ(SuspendThread(thread), 1u); // suspended twice
    HANDLE waitOnly = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &waitOnly, SYNCHRONIZE, FALSE, 0));
    EXPECT_FALSE(Win32::ResumeFully(waitOnly));
    EXPECT_EQ(WaitForSingleObject(thread, 50), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(Win32::ResumeFully(thread));
    EXPECT_EQ(WaitForSingleObject(waitOnly, 10000), DWORD(WAIT_OBJECT_0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(waitOnly);
    CloseHandle(thread);
}

} // namespace Brintavolex
