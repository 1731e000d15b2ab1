#pragma once

#include "Root/api/String.h"

#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// One entry of a folder. Links to folders (junctions and symbolic links on
// Windows, symbolic links elsewhere) are reported apart so that a scan never
// follows them: a link to a parent would make it endless.
struct FolderEntry {
    enum class Kind { File, Folder, FolderLink };
    String name;
    Kind kind = Kind::File;
};

// The entries of folder other than "." and "..", in the order the file
// system reports them. A missing folder has none; any other failure is
// logged and ends the listing with the entries read so far. Devices, pipes
// and sockets are left out: opening them could block.
std::vector<FolderEntry> ListFolder(const String &folder);

// What tells a file or folder from every other however it is reached: its
// volume and its number there.
struct FileIdentity {
    std::uint64_t volume = 0, file = 0;
    auto operator<=>(const FileIdentity &) const = default;
};
// False when the system cannot say (the path is gone, or no such numbers).
bool GetFileIdentity(const String &path, FileIdentity &identity);

// Opens the file for reading, letting others only read, and closes it
// again: 0 when that worked, else the Win32 error code (SystemError in
// Stream.h; a folder gives AccessDenied). Never logs.
std::uint32_t TryOpenForReading(const String &path);

// The user's desktop, local and roaming application-data folders; empty
// when the system does not know them.
String DesktopFolder();
String LocalAppDataFolder();
String RoamingAppDataFolder();

// The folder of the running executable, with a trailing separator. Throws
// SystemErrorException when the system cannot say.
String ExecutableFolder();

// Replaces the file's content so that readers (and a crash at any moment)
// see either the old file or the new one whole: the bytes go to a new file
// beside it, reach the disk, and that file then takes the name. A failure
// leaves the old file untouched and throws SystemErrorException
// ("ReplaceFile").
void ReplaceFileAtomically(const String &path, std::string_view bytes);

} // namespace Brintavolex::Platform
