#include "Platform/api/FileSystem.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Stream.h"
#include "Platform/api/Win32/WideText.h"
#include "Root/api/Exception.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace Brintavolex::Platform {

namespace {

// Absolute drive and UNC paths get the \\?\ prefix so that long paths work.
std::wstring LongPath(const String &path)
{
    std::wstring wide = Win32::ToW(StringExpr(path));
    for (wchar_t &c : wide)
        if (c == L'/')
            c = L'\\';
    if (wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\')
        return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

[[noreturn]] void Fail(const char *context, const char *call, DWORD error)
{
    throw SystemErrorException(context, call, error);
}

struct Handle {
    HANDLE h;
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// True when path still names the file behind handle.
bool NamesSameFile(HANDLE handle, const std::wstring &path)
{
    Handle byName{CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (byName.h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &a) ||
        !GetFileInformationByHandle(byName.h, &b))
        return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

String KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return String();
    return String(StringExpr(Win32::U(path)));
}

} // namespace

char16_t PathSeparator() noexcept { return u'\\'; }

bool FileExists(const String &path)
{
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String &path)
{
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateDirectories(const String &path)
{
    const std::wstring wide = LongPath(path);
    // Skip the \\?\ prefix and the drive when walking the parents.
    std::size_t start = wide.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
    if (wide.size() > start + 2 && wide[start + 1] == L':')
        start += 3;
    for (std::size_t i = start; i <= wide.size(); ++i) {
        if (i != wide.size() && wide[i] != L'\\')
            continue;
        const std::wstring part = wide.substr(0, i);
        if (part.size() <= start)
            continue;
        if (!CreateDirectoryW(part.c_str(), nullptr)) {
            const DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
                Fail("CreateDirectory", "CreateDirectoryW", error);
        }
    }
    if (!DirectoryExists(path))
        Fail("CreateDirectory", "CreateDirectoryW", GetLastError());
}

void CopyFileOver(const String &from, const String &to)
{
    if (!CopyFileW(LongPath(from).c_str(), LongPath(to).c_str(), FALSE))
        Fail("CopyFile", "CopyFileW", GetLastError());
}

bool RemoveFile(const String &path) { return DeleteFileW(LongPath(path).c_str()) != 0; }

void AppendLocked(const String &path, const std::function<std::string(std::uint64_t)> &compose,
                  std::uint64_t rotateAt)
{
    const std::wstring wide = LongPath(path);
    for (int attempt = 0;; ++attempt) {
        Handle file{CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h == INVALID_HANDLE_VALUE)
            Fail("AppendLocked", "CreateFileW", GetLastError());
        // One exclusive lock over the whole range serialises every appender,
        // in this process and in others.
        OVERLAPPED whole{};
        if (!LockFileEx(file.h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
            Fail("AppendLocked", "LockFileEx", GetLastError());
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.h, &size)) {
            const DWORD error = GetLastError();
            UnlockFileEx(file.h, 0, MAXDWORD, MAXDWORD, &whole);
            Fail("AppendLocked", "GetFileSizeEx", error);
        }
        // A file another appender rotated away while we waited is left alone.
        if (attempt < 8 && !NamesSameFile(file.h, wide)) {
            UnlockFileEx(file.h, 0, MAXDWORD, MAXDWORD, &whole);
            continue;
        }
        if (rotateAt != 0 && std::uint64_t(size.QuadPart) >= rotateAt && attempt < 8) {
            const std::wstring old = wide + L".old";
            const BOOL moved = MoveFileExW(wide.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING);
            const DWORD error = GetLastError();
            UnlockFileEx(file.h, 0, MAXDWORD, MAXDWORD, &whole);
            if (!moved)
                Fail("AppendLocked", "MoveFileExW", error);
            continue;
        }
        const std::string bytes = compose(std::uint64_t(size.QuadPart));
        LARGE_INTEGER end{};
        DWORD error = ERROR_SUCCESS;
        if (!SetFilePointerEx(file.h, end, nullptr, FILE_END))
            error = GetLastError();
        std::size_t done = 0;
        while (error == ERROR_SUCCESS && done < bytes.size()) {
            const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file.h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
                error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
            done += written;
        }
        UnlockFileEx(file.h, 0, MAXDWORD, MAXDWORD, &whole);
        if (error != ERROR_SUCCESS)
            Fail("AppendLocked", "WriteFile", error);
        return;
    }
}

namespace {

FolderEntry::Kind KindOf(const WIN32_FIND_DATAW &found)
{
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderEntry::Kind::File;
    // Junctions and symbolic links name another place; cloud placeholders
    // and other reparse points are the folder itself.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(found.dwReserved0))
        return FolderEntry::Kind::FolderLink;
    return FolderEntry::Kind::Folder;
}

} // namespace

std::vector<FolderEntry> ListFolder(const String &folder)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    // The basic level leaves out the short names, which we never use.
    const HANDLE search = FindFirstFileExW(LongPath(JoinPath(folder, "*")).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("FindFirstFileExW", error);
        return entries;
    }
    do {
        const std::u16string_view name(Win32::U(found.cFileName));
        if (name != u"." && name != u"..")
            entries.push_back({String(StringExpr(name)), KindOf(found)});
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES)
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("FindNextFileW", error);
    if (!FindClose(search))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("FindClose");
    return entries;
}

bool GetFileIdentity(const String &path, FileIdentity &identity)
{
    // Backup semantics let the call open folders too.
    Handle file{CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    BY_HANDLE_FILE_INFORMATION information{};
    if (file.h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.h, &information))
        return false;
    identity = {information.dwVolumeSerialNumber,
                std::uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
    return true;
}

std::uint32_t TryOpenForReading(const String &path)
{
    // Only readers may share: a file another program is writing is not
    // ready to be shown.
    Handle file{CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)};
    return file.h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
}

String DesktopFolder() { return KnownFolder(CSIDL_DESKTOP); }
String LocalAppDataFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA); }
String RoamingAppDataFolder() { return KnownFolder(CSIDL_APPDATA); }

String ExecutableFolder()
{
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0 || length >= path.size())
        Fail("ExecutableFolder", "GetModuleFileNameW", length == 0 ? GetLastError() : DWORD(ERROR_INSUFFICIENT_BUFFER));
    std::wstring folder(path.data(), length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return String(StringExpr(std::u16string_view(Win32::U(folder.c_str()), folder.size())));
}

void ReplaceFileAtomically(const String &path, std::string_view bytes)
{
    // Unique per process and call: two savers never share a new file.
    static std::atomic<unsigned> counter{0};
    const std::wstring target = LongPath(path);
    const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                                   std::to_wstring(counter.fetch_add(1)) + L".new";
    Handle file{CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        Fail("ReplaceFile", "CreateFileW", GetLastError());
    try {
        while (!bytes.empty()) {
            const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file.h, bytes.data(), chunk, &written, nullptr))
                Fail("ReplaceFile", "WriteFile", GetLastError());
            if (written == 0)
                Fail("ReplaceFile", "WriteFile", ERROR_WRITE_FAULT);
            bytes.remove_prefix(written);
        }
        if (!FlushFileBuffers(file.h))
            Fail("ReplaceFile", "FlushFileBuffers", GetLastError());
        CloseHandle(file.h);
        file.h = INVALID_HANDLE_VALUE;
        // Another process replacing or reading the file at this moment
        // refuses the move for a short while.
        for (int attempt = 0;; ++attempt) {
            if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                break;
            const DWORD error = GetLastError();
            if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 100)
                Fail("ReplaceFile", "MoveFileExW", error);
            Sleep(10);
        }
    } catch (...) {
        DeleteFileW(temporary.c_str());
        throw;
    }
}

} // namespace Brintavolex::Platform
