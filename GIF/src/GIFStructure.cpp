#include "GIF/src/GIFStructure.h"

#include <algorithm>
#include <cstring>

namespace Brintavolex::GIF {

namespace {

// Large enough that a sub-block or a colour table always fits after the
// bytes still unread.
constexpr std::size_t kReaderBuffer = 64 * 1024;

std::string Hex(unsigned byte)
{
    const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4 & 15] + digits[byte & 15];
}

void ReadHeader(BlockReader &in, Structure &s)
{
    std::memcpy(s.signature, in.Span(3), 3);
    std::memcpy(s.version, in.Span(3), 3);
    // "87" with any third character, or "89a".
    const bool v87 = s.version[0] == '8' && s.version[1] == '7';
    const bool v89 = s.version[0] == '8' && s.version[1] == '9' && s.version[2] == 'a';
    if (!v87 && !v89)
        throw Exception("unknown GIF version");
    s.screenWidth = in.UInt16();
    s.screenHeight = in.UInt16();
    s.screenPacked = in.Byte();
    s.backgroundIndex = in.Byte();
    s.pixelAspectRatio = in.Byte();
    if (s.HasGlobalTable()) {
        const std::size_t bytes = ColorTableEntries(s.screenPacked) * kColorEntrySize;
        const std::uint8_t *table = in.Span(bytes);
        s.globalTable.assign(table, table + bytes);
    }
}

// The extension after its introducer: a control block is kept for the next
// image, the others are listed and passed over.
void ReadExtension(BlockReader &in, Structure &s, std::optional<GraphicControl> &pending)
{
    const std::uint8_t label = in.Byte();
    if (label != kGraphicControlLabel) {
        s.others.push_back(OtherBlock{s.images.size(), label, std::nullopt});
        in.SkipSubBlocks();
        return;
    }
    GraphicControl control;
    control.blockSize = in.Byte();
    const std::uint8_t *fields = in.Span(control.blockSize);
    // A shorter block leaves the fields it lacks at 0.
    std::uint8_t padded[kGraphicControlBlockSize] = {};
    std::memcpy(padded, fields, std::min<std::size_t>(control.blockSize, kGraphicControlBlockSize));
    control.packed = padded[0];
    control.delay = std::uint16_t(padded[1] | padded[2] << 8);
    control.transparentIndex = padded[3];
    control.terminator = control.blockSize ? in.Byte() : 0;
    if (control.blockSize && control.terminator) { // more sub-blocks than the one
        in.Skip(control.terminator);
        in.SkipSubBlocks();
    }
    // Of two control blocks before one image the later one counts.
    if (pending)
        s.others.push_back(OtherBlock{s.images.size(), kGraphicControlLabel, pending});
    pending = control;
}

void ReadImage(BlockReader &in, Structure &s, std::optional<GraphicControl> &pending)
{
    ImageRecord image;
    image.control = pending;
    pending.reset();
    image.left = in.UInt16();
    image.top = in.UInt16();
    image.width = in.UInt16();
    image.height = in.UInt16();
    image.packed = in.Byte();
    if (image.HasLocalTable()) {
        image.colorTableOffset = in.Tell();
        in.Skip(ColorTableEntries(image.packed) * kColorEntrySize);
    }
    image.dataOffset = in.Tell();
    in.Byte(); // the code size, checked when the image is decoded
    in.SkipSubBlocks();
    s.images.push_back(image);
}

} // namespace

BlockReader::BlockReader(IStream &stream) : _stream(stream), _size(stream.size()), _buffer(kReaderBuffer) {}

void BlockReader::Seek(std::uint64_t position)
{
    if (position > _size)
        throw TruncatedFile();
    if (position >= _bufferStart && position - _bufferStart <= _end) {
        _cursor = std::size_t(position - _bufferStart);
        return;
    }
    _bufferStart = position;
    _cursor = _end = 0;
}

void BlockReader::Fill(std::size_t count)
{
    const std::size_t kept = _end - _cursor;
    std::memmove(_buffer.data(), _buffer.data() + _cursor, kept);
    _bufferStart += _cursor;
    _cursor = 0;
    _end = kept;
    const std::uint64_t position = _bufferStart + _end;
    const std::size_t more = std::size_t(std::min<std::uint64_t>(_buffer.size() - _end, _size - position));
    if (more) {
        _stream.seek(position);
        _stream.read(_buffer.data() + _end, more);
        _end += more;
    }
    if (_end < count)
        throw TruncatedFile();
}

void BlockReader::SkipSubBlocks()
{
    while (const std::uint8_t length = Byte())
        Skip(length);
}

Structure ReadStructure(IStream &stream)
{
    BlockReader in(stream);
    Structure s;
    ReadHeader(in, s);
    std::optional<GraphicControl> pending;
    std::uint64_t blockStart = in.Tell();
    try {
        for (;;) {
            blockStart = in.Tell();
            if (blockStart == stream.size())
                break; // no trailer: what came is whole
            const std::uint8_t introducer = in.Byte();
            if (introducer == kTrailer) {
                s.hasTrailer = true;
                break;
            }
            if (introducer == kExtensionIntroducer) {
                ReadExtension(in, s, pending);
            } else if (introducer == kImageSeparator) {
                ReadImage(in, s, pending);
            } else {
                s.stopReason = "unknown block " + Hex(introducer) + " at offset " + std::to_string(blockStart) +
                               " after image " + std::to_string(s.images.size());
                break;
            }
        }
    } catch (const TruncatedFile &) {
        in.Seek(blockStart);
        s.stopReason = in.Byte() == kImageSeparator ? "the file ends inside image " + std::to_string(s.images.size())
                                                     : "the file ends inside a block after image " +
                                                           std::to_string(s.images.size());
    }
    if (pending)
        s.others.push_back(OtherBlock{s.images.size(), kGraphicControlLabel, pending});
    return s;
}

} // namespace Brintavolex::GIF
