#pragma once

#include <windows.h>

#include <cstdint>

namespace Brintavolex {

// Splits a wide (or narrow) command line by the program's own rules into a
// block with the contract of the Windows function of the same name: argv
// pointers, a null pointer, then the strings, in one GlobalAlloc (fixed)
// block that the caller frees with LocalFree. Null with the last error set
// on failure.
LPWSTR *CommandLineToArgvW(LPCWSTR commandLine, int *count);
LPSTR *CommandLineToArgvA(LPCSTR commandLine, int *count);

// Major version of the operating system, cached; 0 when unknown.
std::uint32_t OperatingSystemMajorVersion();

// False when an uninstall entry under HKLM or HKCU names this executable.
bool IsRunningPortably();

} // namespace Brintavolex
