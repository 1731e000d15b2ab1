#pragma once

#include <string>
#include <vector>

namespace Brintavolex::TestSupport {

// Folder of the running test program, with a trailing backslash; the
// viewer and the test plug-ins are built into the same folder.
std::wstring ModuleFolder();

// Full path of "Brintavolex Viewer.exe" beside the test program.
std::wstring ViewerPath();

// Starts commandLine exactly as given (no quoting added), waits at most
// timeoutMs and returns the exit code; a process that does not end is
// killed and the test fails.
unsigned long RunProcess(const std::wstring &commandLine, unsigned long timeoutMs = 60000);

// As RunProcess, but every dialog box the process shows (class "#32770")
// is answered with OK, the dialogs' captions are added to captions, and a
// viewer window (class "Brintavolex") is closed as soon as it shows.
unsigned long RunProcessAnsweringDialogs(const std::wstring &commandLine, std::vector<std::wstring> &captions,
                                         unsigned long timeoutMs = 60000);

} // namespace Brintavolex::TestSupport
