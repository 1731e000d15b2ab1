#include "Platform/api/Stream.h"

#include "Root/api/Exception.h"

#include <stdexcept>

namespace Brintavolex {

// {6C1A7E52-3B0F-4E1D-9A2C-5F8B0D4E7A10}
const Guid kFileNamePropertyKey = {0x6C1A7E52, 0x3B0F, 0x4E1D, {0x9A, 0x2C, 0x5F, 0x8B, 0x0D, 0x4E, 0x7A, 0x10}};

namespace {
[[noreturn]] void EndOfStream() { throw std::runtime_error("end of stream"); }
} // namespace

MemoryStream::MemoryStream(const void *data, std::uint64_t size) noexcept
    : _base(static_cast<const std::uint8_t *>(data)), _size(data ? size : 0)
{
}

std::uint64_t MemoryStream::read(void *buffer, std::uint64_t count)
{
    // Written so that position + count cannot wrap around.
    if (count > _size - _position)
        EndOfStream();
    if (count)
        std::memcpy(buffer, _base + _position, std::size_t(count));
    _position += count;
    return count;
}

void MemoryStream::seek(std::uint64_t position)
{
    if (position > _size)
        EndOfStream();
    _position = position;
}

SharedPtr<IStream> MemoryStream::Clone() { throw Exception("MemoryStream::Clone"); }

StreamLock MemoryStream::lock(std::uint64_t count)
{
    if (count > _size - _position)
        EndOfStream();
    StreamLock record{this, _base + _position, count};
    _position += count;
    return record;
}

std::uint16_t LEStream::ReadUInt16()
{
    const unsigned b0 = NextByte(), b1 = NextByte();
    return std::uint16_t(b0 | b1 << 8);
}

std::uint32_t LEStream::ReadUInt32()
{
    std::uint32_t value = 0;
    for (unsigned i = 0; i < 4; ++i)
        value |= std::uint32_t(NextByte()) << (8 * i);
    return value;
}

std::uint64_t LEStream::ReadUInt64()
{
    std::uint64_t value = 0;
    for (unsigned i = 0; i < 8; ++i)
        value |= std::uint64_t(NextByte()) << (8 * i);
    return value;
}

std::uint16_t BEStream::ReadUInt16()
{
    const unsigned b0 = NextByte(), b1 = NextByte();
    return std::uint16_t(b0 << 8 | b1);
}

std::uint32_t BEStream::ReadUInt32()
{
    std::uint32_t value = 0;
    for (unsigned i = 0; i < 4; ++i)
        value = value << 8 | NextByte();
    return value;
}

std::uint64_t BEStream::ReadUInt64()
{
    std::uint64_t value = 0;
    for (unsigned i = 0; i < 8; ++i)
        value = value << 8 | NextByte();
    return value;
}

template <class Order> LockStream<Order>::LockStream(IStream &stream, std::uint64_t count)
{
    if (count == 0)
        throw std::invalid_argument("LockStream::Lockstream: count must be greater than zero");
    // A count from a file is checked against what the stream can still give
    // before anything is allocated.
    const std::uint64_t size = stream.size(), position = stream.tell();
    if (position > size || count > size - position)
        EndOfStream();
    _buffer.resize(std::size_t(count));
    stream.read(_buffer.data(), count);
}

template <class Order> std::uint64_t LockStream<Order>::Take(unsigned bytes)
{
    if (bytes > _buffer.size() - _cursor)
        EndOfStream();
    const std::uint8_t *p = _buffer.data() + _cursor;
    std::uint64_t value = 0;
    if constexpr (std::is_same_v<Order, LittleEndian>) {
        for (unsigned i = bytes; i-- > 0;)
            value = value << 8 | p[i];
    } else {
        for (unsigned i = 0; i < bytes; ++i)
            value = value << 8 | p[i];
    }
    _cursor += bytes;
    return value;
}

template <class Order> void LockStream<Order>::Bytes(void *out, std::uint64_t count)
{
    if (count > _buffer.size() - _cursor)
        EndOfStream();
    if (count)
        std::memcpy(out, _buffer.data() + _cursor, std::size_t(count));
    _cursor += count;
}

template <class Order> void LockStream<Order>::Skip(std::uint64_t count)
{
    if (count > _buffer.size() - _cursor)
        EndOfStream();
    _cursor += count;
}

template <class Order> void LockStream<Order>::SetCursor(std::uint64_t position)
{
    if (position > _buffer.size())
        EndOfStream();
    _cursor = position;
}

template class LockStream<LittleEndian>;
template class LockStream<BigEndian>;

} // namespace Brintavolex
