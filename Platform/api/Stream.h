#pragma once

#include "Root/api/String.h"
#include "Root/api/Guid.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace Brintavolex {

class IProperty;

// The byte stream every decoder reads through.
class IStream {
public:
    virtual ~IStream() = default;
    virtual std::uint64_t tell() = 0;
    // Copies exactly count bytes and advances; returns count.
    virtual std::uint64_t read(void *buffer, std::uint64_t count) = 0;
    virtual void seek(std::uint64_t position) = 0;
    virtual std::uint64_t size() = 0;
    // A new stream over the same data with its own position.
    virtual SharedPtr<IStream> Clone() = 0;
    virtual SharedPtr<IProperty> GetProperty(const Guid &key) = 0;
};

class Stream;

// What lock hands out: the bytes in place (data), or null when the caller
// must copy them with read.
struct StreamLock {
    Stream *stream = nullptr;
    const std::uint8_t *data = nullptr;
    std::uint64_t count = 0;
};

class Stream : public IStream {
public:
    virtual StreamLock lock(std::uint64_t count) = 0;
};

// Over caller memory, which must outlive the stream. Every access is checked
// against the size: offsets come from files.
class MemoryStream final : public Stream {
public:
    MemoryStream(const void *data, std::uint64_t size) noexcept;
    std::uint64_t tell() override { return _position; }
    std::uint64_t read(void *buffer, std::uint64_t count) override;
    void seek(std::uint64_t position) override;
    std::uint64_t size() override { return _size; }
    SharedPtr<IStream> Clone() override;
    SharedPtr<IProperty> GetProperty(const Guid &) override { return nullptr; }
    StreamLock lock(std::uint64_t count) override;

private:
    std::uint64_t _position = 0;
    const std::uint8_t *_base;
    std::uint64_t _size;
};

// A read-only view of a whole file, for reads that jump about the file (a
// slice across a volume): pages come in when touched instead of being
// copied. Unmapped when destroyed.
class MappedFile {
public:
    MappedFile(const std::uint8_t *data, std::uint64_t size) noexcept : _data(data), _size(size) {}
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;
    const std::uint8_t *Data() const noexcept { return _data; }
    std::uint64_t Size() const noexcept { return _size; }

private:
    const std::uint8_t *_data;
    std::uint64_t _size;
};

// A read-only file, shared for reading, writing and deleting so that the
// viewer never keeps a file from being renamed or deleted.
class FileStream final : public Stream {
public:
    explicit FileStream(const String &fileName);
    ~FileStream() override;
    FileStream(const FileStream &) = delete;
    FileStream &operator=(const FileStream &) = delete;

    std::uint64_t tell() override;
    std::uint64_t read(void *buffer, std::uint64_t count) override;
    void seek(std::uint64_t position) override;
    std::uint64_t size() override;
    SharedPtr<IStream> Clone() override;
    SharedPtr<IProperty> GetProperty(const Guid &key) override;
    StreamLock lock(std::uint64_t count) override;
    // The whole file mapped, or nullptr when the system does not map it (an
    // empty file, no address space).
    std::unique_ptr<MappedFile> Map();

    const String &GetFileName() const noexcept { return _fileName; }
    // FILETIME values: 100 ns units since 1601-01-01 (UTC).
    std::uint64_t GetCreationTime() const noexcept { return _creationTime; }
    std::uint64_t GetLastAccessTime() const noexcept { return _lastAccessTime; }
    std::uint64_t GetLastWriteTime() const noexcept { return _lastWriteTime; }

    struct Native;

private:
    void RequireOpen(const char *operation) const;

    std::unique_ptr<Native> _native;
    std::uint64_t _size = 0;
    String _fileName;
    std::uint64_t _creationTime = 0, _lastAccessTime = 0, _lastWriteTime = 0;
};

// The key of the file-name property of a FileStream.
extern const Guid kFileNamePropertyKey;

// A typed view of another stream (not owned); the typed reads take the
// value's bytes one at a time from the underlying read.
class EndianStream : public IStream {
public:
    explicit EndianStream(IStream &stream) noexcept : _stream(stream) {}
    std::uint64_t tell() override { return _stream.tell(); }
    std::uint64_t read(void *buffer, std::uint64_t count) override { return _stream.read(buffer, count); }
    void seek(std::uint64_t position) override { _stream.seek(position); }
    std::uint64_t size() override { return _stream.size(); }
    SharedPtr<IStream> Clone() override { return _stream.Clone(); }
    SharedPtr<IProperty> GetProperty(const Guid &key) override { return _stream.GetProperty(key); }

protected:
    std::uint8_t NextByte()
    {
        std::uint8_t byte = 0;
        _stream.read(&byte, 1);
        return byte;
    }

private:
    IStream &_stream;
};

class LEStream final : public EndianStream {
public:
    using EndianStream::EndianStream;
    std::uint16_t ReadUInt16();
    std::uint32_t ReadUInt32();
    std::uint64_t ReadUInt64();
};

class BEStream final : public EndianStream {
public:
    using EndianStream::EndianStream;
    std::uint16_t ReadUInt16();
    std::uint32_t ReadUInt32();
    std::uint64_t ReadUInt64();
};

struct LittleEndian {};
struct BigEndian {};

// Reads count bytes at once and hands out typed values from them; reads
// past the block throw "end of stream".
template <class Order> class LockStream {
public:
    LockStream(IStream &stream, std::uint64_t count);

    std::uint8_t UInt8() { return std::uint8_t(Take(1)); }
    std::uint16_t UInt16() { return std::uint16_t(Take(2)); }
    std::uint32_t UInt32() { return std::uint32_t(Take(4)); }
    std::uint64_t UInt64() { return Take(8); }
    float Float32()
    {
        const std::uint32_t bits = UInt32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    double Float64()
    {
        const std::uint64_t bits = UInt64();
        double value;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    // Copies count raw bytes at the cursor.
    void Bytes(void *out, std::uint64_t count);
    void Skip(std::uint64_t count);
    void SetCursor(std::uint64_t position);

    std::uint64_t Cursor() const noexcept { return _cursor; }
    std::uint64_t Size() const noexcept { return _buffer.size(); }
    std::uint64_t Remaining() const noexcept { return _buffer.size() - _cursor; }
    const std::uint8_t *Data() const noexcept { return _buffer.data(); }

private:
    std::uint64_t Take(unsigned bytes);

    std::vector<std::uint8_t> _buffer;
    std::uint64_t _cursor = 0;
};

extern template class LockStream<LittleEndian>;
extern template class LockStream<BigEndian>;

// The Win32 error codes the file layer reports on every platform.
namespace SystemError {
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t PathNotFound = 3;
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t SharingViolation = 32;
constexpr std::uint32_t HandleEndOfFile = 38;
} // namespace SystemError

} // namespace Brintavolex
