// Resuming a thread through a handle without the right to: refused once, not
// asked again without end.
#include "Platform/src/Win32/ThreadResume.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(ThreadResume, AHandleWithoutTheRightToResumeIsRefusedOnce)
{
    const HANDLE thread = CreateThread(
        nullptr, 0, [](void *) -> DWORD { return 0; }, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(thread);
    ASSERT_EQ(SuspendThread(thread), 1u); // suspended twice
    HANDLE waitOnly = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &waitOnly, SYNCHRONIZE, FALSE, 0));
    EXPECT_FALSE(Brintavolex::Win32::ResumeFully(waitOnly));
    EXPECT_TRUE(Brintavolex::Win32::ResumeFully(thread));
    EXPECT_EQ(WaitForSingleObject(waitOnly, 10000), DWORD(WAIT_OBJECT_0));
    CloseHandle(waitOnly);
    CloseHandle(thread);
}
