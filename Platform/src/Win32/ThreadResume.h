#pragma once

// Resuming a thread as often as it was suspended.

#include <windows.h>

namespace Brintavolex::Win32 {

// Resumes until the thread's suspend count is zero. A failing ResumeThread is
// logged and ends the attempt with false: its error value is no suspend count
// to count down.
bool ResumeFully(HANDLE thread) noexcept;

} // namespace Brintavolex::Win32
