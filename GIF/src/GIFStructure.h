#pragma once

// The block structure of a GIF file, read in one pass without decoding
// pixels, and the buffered reader that the pass and the decoder share.
#include "GIF/src/GIFFormat.h"
#include "Platform/api/Stream.h"
#include "Root/api/Exception.h"

#include <optional>
#include <string>
#include <vector>

namespace Brintavolex::GIF {

// The file ends before a block that it has begun.
class TruncatedFile : public Exception {
public:
    TruncatedFile() : Exception("the file ends early") {}
};

// Reads a stream through a buffer: a byte or a sub-block at a time costs no
// stream call. Throws TruncatedFile at the end of the stream.
class BlockReader {
public:
    explicit BlockReader(IStream &stream);

    std::uint64_t Tell() const noexcept { return _bufferStart + _cursor; }
    void Seek(std::uint64_t position);
    void Skip(std::uint64_t count) { Seek(Tell() + count); }
    std::uint8_t Byte()
    {
        if (_cursor == _end)
            Fill(1);
        return _buffer[_cursor++];
    }
    std::uint16_t UInt16() // little-endian
    {
        const unsigned low = Byte();
        return std::uint16_t(low | unsigned(Byte()) << 8);
    }
    // count contiguous bytes (at most a sub-block's 255 and its length
    // byte, or a colour table), valid until the next call.
    const std::uint8_t *Span(std::size_t count)
    {
        if (_end - _cursor < count)
            Fill(count);
        const std::uint8_t *data = &_buffer[_cursor];
        _cursor += count;
        return data;
    }
    // Passes over data sub-blocks up to the one of length 0.
    void SkipSubBlocks();

private:
    void Fill(std::size_t count);

    IStream &_stream;
    std::uint64_t _size;
    std::vector<std::uint8_t> _buffer;
    std::uint64_t _bufferStart = 0;
    std::size_t _cursor = 0, _end = 0;
};

// A Graphics Control Extension as stored; it governs the image after it.
struct GraphicControl {
    std::uint8_t blockSize = 0, packed = 0, transparentIndex = 0, terminator = 0;
    std::uint16_t delay = 0; // hundredths of a second

    Disposal GetDisposal() const noexcept
    {
        return Disposal(std::uint8_t(packed >> kDisposalShift) & kDisposalMask);
    }
    bool HasTransparency() const noexcept { return packed & kTransparencyFlag; }
};

struct ImageRecord {
    std::optional<GraphicControl> control;
    std::uint16_t left = 0, top = 0, width = 0, height = 0;
    std::uint8_t packed = 0;
    std::uint64_t colorTableOffset = 0; // of the local table, when packed has one
    std::uint64_t dataOffset = 0;       // of the code size byte

    bool HasLocalTable() const noexcept { return packed & kColorTableFlag; }
    bool Interlaced() const noexcept { return packed & kInterlaceFlag; }
};

// A block that the property tree lists besides the images: comment,
// application and other extensions, and a control block without image.
struct OtherBlock {
    std::size_t beforeImage; // the number of images before it
    std::uint8_t label;
    std::optional<GraphicControl> control; // a control that no image followed
};

struct Structure {
    char signature[3] = {}, version[3] = {};
    std::uint16_t screenWidth = 0, screenHeight = 0;
    std::uint8_t screenPacked = 0, backgroundIndex = 0, pixelAspectRatio = 0;
    std::vector<std::uint8_t> globalTable; // red, green, blue per entry
    std::vector<ImageRecord> images;       // those whose data is complete
    std::vector<OtherBlock> others;
    bool hasTrailer = false;
    // Why the blocks end before a trailer: the file ends inside a block, or
    // a byte starts no block. Empty when the file ends between blocks.
    std::string stopReason;

    bool HasGlobalTable() const noexcept { return screenPacked & kColorTableFlag; }
};

// The header, screen descriptor and global table must be whole: else
// TruncatedFile, or "unknown GIF version". The blocks are read up to the
// trailer or the first one that is cut short or unknown.
Structure ReadStructure(IStream &stream);

} // namespace Brintavolex::GIF
