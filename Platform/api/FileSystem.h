#pragma once

#include "Root/api/String.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Brintavolex::Platform {

// '\' on Windows, '/' elsewhere.
char16_t PathSeparator() noexcept;

// folder + one separator + name (no doubled separator when folder ends in one;
// just name when folder is empty).
String JoinPath(StringExpr folder, StringExpr name);

bool FileExists(const String &path);
bool DirectoryExists(const String &path);

// Creates the folder and any missing parents; an existing folder is fine.
// Throws SystemErrorException ("CreateDirectory") on failure.
void CreateDirectories(const String &path);

// Copies from over to (replacing it). Throws SystemErrorException with the
// context "CopyFile" and the failing call.
void CopyFileOver(const String &from, const String &to);

// Deletes a file; false when it did not exist or could not be deleted.
bool RemoveFile(const String &path);

// Appends to a file shared by threads and processes: the file is opened
// (created when missing) and locked exclusively against every other
// appender, compose is called with the current size and its bytes are
// written in one piece. When the size has reached rotateAt (0: never), the
// file is first renamed to path + ".old" (replacing that) and a new one is
// started. Throws SystemErrorException on failure.
void AppendLocked(const String &path, const std::function<std::string(std::uint64_t size)> &compose,
                  std::uint64_t rotateAt = 0);

// The user's desktop and local application-data folders; empty when the
// system does not know them.
String DesktopFolder();
String LocalAppDataFolder();

} // namespace Brintavolex::Platform
