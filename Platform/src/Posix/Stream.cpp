#include "Platform/api/Stream.h"

#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"
#include "Platform/api/String.h"
#include "Platform/src/Posix/SystemErrorCode.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Brintavolex {

struct FileStream::Native {
    int fd = -1;
    std::uint64_t position = 0;
};

using Platform::Posix::Win32Code;

namespace {

std::uint64_t FileTime(const timespec &time)
{
    // 100 ns units since 1601-01-01.
    return std::uint64_t(time.tv_sec + 11644473600LL) * 10000000u + std::uint64_t(time.tv_nsec / 100);
}

} // namespace

FileStream::FileStream(const String &fileName) : _native(std::make_unique<Native>()), _fileName(fileName)
{
    const std::string path = ToUTF8(fileName);
    _native->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (_native->fd >= 0 && fstat(_native->fd, &info) != 0) {
        // Without its size the stream would read as empty.
        const std::uint32_t code = Win32Code(errno);
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("GetFileSize", code);
        close(_native->fd);
        _native->fd = -1;
        throw SystemErrorException("FileStream::FileStream", "GetFileSize", code);
    }
    if (_native->fd >= 0 && S_ISDIR(info.st_mode)) {
        close(_native->fd);
        _native->fd = -1;
        errno = EISDIR;
    }
    if (_native->fd < 0) {
        std::uint32_t code = Win32Code(errno);
        // Windows tells a missing folder (3) from a missing file (2).
        if (code == SystemError::FileNotFound) {
            const std::size_t slash = path.find_last_of('/');
            struct stat parent {};
            if (slash != std::string::npos && slash > 0 &&
                (stat(path.substr(0, slash).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)))
                code = SystemError::PathNotFound;
        }
        if (code != SystemError::FileNotFound && code != SystemError::PathNotFound &&
            code != SystemError::AccessDenied && code != SystemError::SharingViolation)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CreateFileW", code);
        throw SystemErrorException("FileStream::FileStream", "CreateFileW", code);
    }
    _size = std::uint64_t(info.st_size);
    _creationTime = FileTime(info.st_ctim);
    _lastAccessTime = FileTime(info.st_atim);
    _lastWriteTime = FileTime(info.st_mtim);
}

FileStream::~FileStream()
{
    if (_native && _native->fd >= 0 && close(_native->fd) != 0)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("CloseHandle");
}

void FileStream::RequireOpen(const char *operation) const
{
    if (!_native || _native->fd < 0)
        throw Exception(String("FileStream::") + operation);
}

std::uint64_t FileStream::tell()
{
    RequireOpen("tell");
    return _native->position;
}

void FileStream::seek(std::uint64_t position)
{
    RequireOpen("seek");
    if (position > std::uint64_t(INT64_MAX)) {
        BRINTAVOLEX_LOG("SetFilePointer");
        throw Exception("FileStream::seek: SetFilePointer failed");
    }
    _native->position = position;
}

std::uint64_t FileStream::read(void *buffer, std::uint64_t count)
{
    RequireOpen("read");
    auto *out = static_cast<std::uint8_t *>(buffer);
    std::uint64_t done = 0;
    while (done < count) {
        const std::size_t piece = std::size_t(std::min<std::uint64_t>(count - done, 1u << 30));
        const ssize_t got = pread(_native->fd, out + done, piece, off_t(_native->position));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const std::uint32_t code = Win32Code(errno);
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("ReadFile", code);
            throw SystemErrorException("Brintavolex::FileStream::read", "ReadFile", code);
        }
        done += std::uint64_t(got);
        _native->position += std::uint64_t(got);
        if (got == 0)
            throw SystemErrorException("Brintavolex::FileStream::read", "ReadFile", SystemError::HandleEndOfFile);
    }
    return count;
}

std::unique_ptr<MappedFile> FileStream::Map()
{
    RequireOpen("Map");
    if (_size == 0 || _size > std::uint64_t(SIZE_MAX))
        return nullptr;
    void *data = mmap(nullptr, std::size_t(_size), PROT_READ, MAP_SHARED, _native->fd, 0);
    if (data == MAP_FAILED)
        return nullptr;
    return std::make_unique<MappedFile>(static_cast<const std::uint8_t *>(data), _size);
}

MappedFile::~MappedFile()
{
    if (munmap(const_cast<std::uint8_t *>(_data), std::size_t(_size)) != 0)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("UnmapViewOfFile");
}

} // namespace Brintavolex
