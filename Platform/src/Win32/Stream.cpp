#include "Platform/api/Stream.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Win32/WideText.h"
#include "Root/api/Exception.h"

#include <windows.h>

namespace Brintavolex {

struct FileStream::Native {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

namespace {

std::uint64_t FileTimeValue(const FILETIME &time)
{
    return (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::wstring LongPath(const String &name)
{
    std::wstring wide = Win32::ToW(StringExpr(name));
    if (wide.size() >= 3 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/') &&
        wide.find(L'/') == std::wstring::npos)
        return L"\\\\?\\" + wide;
    return wide;
}

} // namespace

FileStream::FileStream(const String &fileName) : _native(std::make_unique<Native>()), _fileName(fileName)
{
    const std::wstring path = LongPath(fileName);
    _native->handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (_native->handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A missing or locked file is an ordinary outcome, not a problem.
        if (error != SystemError::FileNotFound && error != SystemError::PathNotFound &&
            error != SystemError::AccessDenied && error != SystemError::SharingViolation)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CreateFileW", error);
        throw SystemErrorException("FileStream::FileStream", "CreateFileW", error);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(_native->handle, &size)) {
        const DWORD error = GetLastError();
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("GetFileSize", error);
        CloseHandle(_native->handle);
        throw SystemErrorException("FileStream::FileStream", "GetFileSize", error);
    }
    _size = std::uint64_t(size.QuadPart);
    FILETIME created{}, accessed{}, written{};
    if (!GetFileTime(_native->handle, &created, &accessed, &written)) {
        const DWORD error = GetLastError();
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("GetFileTime", error);
        CloseHandle(_native->handle);
        throw SystemErrorException("FileStream::FileStream", "GetFileTime", error);
    }
    _creationTime = FileTimeValue(created);
    _lastAccessTime = FileTimeValue(accessed);
    _lastWriteTime = FileTimeValue(written);
}

FileStream::~FileStream()
{
    if (_native && _native->handle != INVALID_HANDLE_VALUE && !CloseHandle(_native->handle))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("CloseHandle");
}

void FileStream::RequireOpen(const char *operation) const
{
    if (!_native || _native->handle == INVALID_HANDLE_VALUE)
        throw Exception(String("FileStream::") + operation);
}

std::uint64_t FileStream::tell()
{
    RequireOpen("tell");
    LARGE_INTEGER zero{}, position{};
    if (!SetFilePointerEx(_native->handle, zero, &position, FILE_CURRENT)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("SetFilePointer");
        throw Exception("FileStream::tell: SetFilePointer failed");
    }
    return std::uint64_t(position.QuadPart);
}

void FileStream::seek(std::uint64_t position)
{
    RequireOpen("seek");
    LARGE_INTEGER target{};
    target.QuadPart = LONGLONG(position);
    if (position > std::uint64_t(INT64_MAX) || !SetFilePointerEx(_native->handle, target, nullptr, FILE_BEGIN)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("SetFilePointer");
        throw Exception("FileStream::seek: SetFilePointer failed");
    }
}

std::uint64_t FileStream::read(void *buffer, std::uint64_t count)
{
    RequireOpen("read");
    auto *out = static_cast<std::uint8_t *>(buffer);
    std::uint64_t done = 0;
    // ReadFile takes 32-bit counts: larger reads go in pieces.
    while (done < count) {
        const DWORD piece = DWORD(std::min<std::uint64_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(_native->handle, out + done, piece, &got, nullptr)) {
            const DWORD error = GetLastError();
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("ReadFile", error);
            throw SystemErrorException("Brintavolex::FileStream::read", "ReadFile", error);
        }
        done += got;
        if (got < piece)
            throw SystemErrorException("Brintavolex::FileStream::read", "ReadFile", SystemError::HandleEndOfFile);
    }
    return count;
}

std::unique_ptr<MappedFile> FileStream::Map()
{
    RequireOpen("Map");
    if (_size == 0)
        return nullptr;
    HANDLE mapping = CreateFileMappingW(_native->handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
        return nullptr;
    // The view keeps the mapping object alive.
    const void *data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    if (!data)
        return nullptr;
    return std::make_unique<MappedFile>(static_cast<const std::uint8_t *>(data), _size);
}

MappedFile::~MappedFile()
{
    if (!UnmapViewOfFile(_data))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("UnmapViewOfFile");
}

} // namespace Brintavolex
