#include "Platform/api/FileSystem.h"

#include "Root/api/Exception.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/String.h"
#include "Platform/src/Posix/SystemErrorCode.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Brintavolex::Platform {

namespace {

std::string Native(const String &path) { return ToUTF8(path); }

[[noreturn]] void Fail(const char *context, const char *call, int error)
{
    throw SystemErrorException(context, call, std::uint32_t(error));
}

void WriteAll(int fd, std::string_view bytes, const char *context)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(context, "write", errno);
        }
        done += std::size_t(n);
    }
}

// Closes the descriptor on every path.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

char16_t PathSeparator() noexcept { return u'/'; }

bool FileExists(const String &path)
{
    struct stat info {};
    return stat(Native(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const String &path)
{
    struct stat info {};
    return stat(Native(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void CreateDirectories(const String &path)
{
    const std::string native = Native(path);
    for (std::size_t i = 1; i <= native.size(); ++i) {
        if (i != native.size() && native[i] != '/')
            continue;
        const std::string part = native.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            Fail("CreateDirectory", "mkdir", errno);
    }
    if (!DirectoryExists(path))
        Fail("CreateDirectory", "mkdir", ENOTDIR);
}

void CopyFileOver(const String &from, const String &to)
{
    Descriptor in{open(Native(from).c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0)
        Fail("CopyFile", "open", errno);
    const std::string temporary = Native(to) + ".partial";
    Descriptor out{open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (out.fd < 0)
        Fail("CopyFile", "open", errno);
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("CopyFile", "read", errno);
        }
        if (n == 0)
            break;
        WriteAll(out.fd, std::string_view(buffer, std::size_t(n)), "CopyFile");
    }
    if (close(out.fd) != 0) {
        out.fd = -1;
        Fail("CopyFile", "close", errno);
    }
    out.fd = -1;
    if (rename(temporary.c_str(), Native(to).c_str()) != 0)
        Fail("CopyFile", "rename", errno);
}

bool RemoveFile(const String &path) { return unlink(Native(path).c_str()) == 0; }

void AppendLocked(const String &path, const std::function<std::string(std::uint64_t)> &compose,
                  std::uint64_t rotateAt)
{
    const std::string native = Native(path);
    for (int attempt = 0;; ++attempt) {
        Descriptor file{open(native.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)};
        if (file.fd < 0)
            Fail("AppendLocked", "open", errno);
        while (flock(file.fd, LOCK_EX) != 0)
            if (errno != EINTR)
                Fail("AppendLocked", "flock", errno);
        struct stat byHandle {}, byName {};
        if (fstat(file.fd, &byHandle) != 0)
            Fail("AppendLocked", "fstat", errno);
        // Another appender may have rotated the file while we waited.
        if (attempt < 8 &&
            (stat(native.c_str(), &byName) != 0 || byName.st_ino != byHandle.st_ino || byName.st_dev != byHandle.st_dev))
            continue;
        std::uint64_t size = std::uint64_t(byHandle.st_size);
        if (rotateAt != 0 && size >= rotateAt && attempt < 8) {
            if (rename(native.c_str(), (native + ".old").c_str()) != 0)
                Fail("AppendLocked", "rename", errno);
            continue;
        }
        WriteAll(file.fd, compose(size), "AppendLocked");
        return;
    }
}

namespace {

// What a directory entry is, following a link only to learn its target's kind.
bool KindOf(const std::string &path, unsigned char type, FolderEntry::Kind &kind)
{
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (lstat(path.c_str(), &info) != 0)
            return false;
        type = S_ISLNK(info.st_mode) ? DT_LNK : S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_FIFO;
    }
    switch (type) {
    case DT_REG: kind = FolderEntry::Kind::File; return true;
    case DT_DIR: kind = FolderEntry::Kind::Folder; return true;
    case DT_LNK:
        // A dangling or looping link stays a file: opening it will say why.
        if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
            kind = FolderEntry::Kind::File;
            return true;
        }
        kind = FolderEntry::Kind::FolderLink;
        return S_ISDIR(info.st_mode);
    default: return false;
    }
}

} // namespace

std::vector<FolderEntry> ListFolder(const String &folder)
{
    std::vector<FolderEntry> entries;
    const std::string native = Native(folder);
    DIR *directory = opendir(native.c_str());
    if (!directory) {
        const std::uint32_t code = Posix::Win32Code(errno);
        if (code != SystemError::FileNotFound && code != SystemError::PathNotFound)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("opendir", code);
        return entries;
    }
    const std::string prefix = native.empty() || native.back() == '/' ? native : native + '/';
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(directory);
        if (!entry) {
            if (errno != 0)
                BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("readdir", Posix::Win32Code(errno));
            break;
        }
        const std::string name = entry->d_name;
        FolderEntry::Kind kind;
        if (name == "." || name == ".." || !KindOf(prefix + name, entry->d_type, kind))
            continue;
        entries.push_back({FromUTF8(name), kind});
    }
    if (closedir(directory) != 0)
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("closedir", Posix::Win32Code(errno));
    return entries;
}

bool GetFileIdentity(const String &path, FileIdentity &identity)
{
    struct stat info {};
    if (stat(Native(path).c_str(), &info) != 0)
        return false;
    identity = {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
    return true;
}

std::uint32_t TryOpenForReading(const String &path)
{
    // Non-blocking, so that a pipe that took a file's place cannot stall us.
    Descriptor file{open(Native(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        return Posix::Win32Code(errno);
    struct stat info {};
    if (fstat(file.fd, &info) != 0)
        return Posix::Win32Code(errno);
    return S_ISREG(info.st_mode) ? 0 : SystemError::AccessDenied;
}

namespace {
String FromEnvironment(const char *name, const char *suffix)
{
    const char *value = std::getenv(name);
    if (!value || !*value)
        return String();
    return FromUTF8(std::string(value) + suffix);
}
} // namespace

String DesktopFolder() { return FromEnvironment("HOME", "/Desktop"); }

String LocalAppDataFolder()
{
    String xdg = FromEnvironment("XDG_DATA_HOME", "");
    return xdg.Empty() ? FromEnvironment("HOME", "/.local/share") : xdg;
}

String RoamingAppDataFolder()
{
    String xdg = FromEnvironment("XDG_CONFIG_HOME", "");
    return xdg.Empty() ? FromEnvironment("HOME", "/.config") : xdg;
}

String ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || std::size_t(length) >= sizeof path)
        Fail("ExecutableFolder", "readlink", length < 0 ? errno : ENAMETOOLONG);
    std::string folder(path, std::size_t(length));
    folder.erase(folder.find_last_of('/') + 1);
    return FromUTF8(folder);
}

void ReplaceFileAtomically(const String &path, std::string_view bytes)
{
    // Unique per process and call: two savers never share a new file.
    static std::atomic<unsigned> counter{0};
    const std::string target = Native(path);
    const std::string temporary =
        target + "." + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1)) + ".new";
    Descriptor file{open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
    if (file.fd < 0)
        Fail("ReplaceFile", "open", errno);
    try {
        WriteAll(file.fd, bytes, "ReplaceFile");
        if (fsync(file.fd) != 0)
            Fail("ReplaceFile", "fsync", errno);
        const int fd = file.fd;
        file.fd = -1;
        if (close(fd) != 0)
            Fail("ReplaceFile", "close", errno);
        if (rename(temporary.c_str(), target.c_str()) != 0)
            Fail("ReplaceFile", "rename", errno);
    } catch (...) {
        unlink(temporary.c_str());
        throw;
    }
}

} // namespace Brintavolex::Platform
