#include "ICO/api/ICODecoder.h"

#include "BMP/api/BMPDecoder.h"
#include "ICO/src/ICOFormat.h"
#include "ICO/src/ICOMask.h"
#include "PNG/api/PNGDecoder.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace Brintavolex {

namespace {

// Directory and entries are a few bytes each: LockStream takes them at once.
ICODecoder::Entry ReadEntryFields(LockStream<LittleEndian> &block)
{
    ICODecoder::Entry e{};
    e.bWidth = block.UInt8();
    e.bHeight = block.UInt8();
    e.bColorCount = block.UInt8();
    e.bReserved = block.UInt8();
    e.wPlanes = block.UInt16();
    e.wBitCount = block.UInt16();
    e.dwBytesInRes = block.UInt32();
    e.dwImageOffset = block.UInt32();
    return e;
}

unsigned Side(std::uint8_t stored) { return stored ? stored : ICO::kZeroSizeMeans; }

// Largest area, then deepest colour. A cursor's bit count is its hot spot,
// so cursors are chosen by size alone.
std::uint64_t ChooseDefault(const std::vector<ICODecoder::Entry> &entries, bool cursor)
{
    std::uint64_t best = 0;
    std::uint64_t bestArea = 0;
    unsigned bestBits = 0;
    bool found = false;
    for (std::uint64_t i = 0; i < entries.size(); ++i) {
        const ICODecoder::Entry &e = entries[i];
        const unsigned bits = cursor ? 0 : e.wBitCount;
        if (bits > ICO::kDeepestBitCount)
            continue;
        const std::uint64_t area = std::uint64_t(Side(e.bWidth)) * Side(e.bHeight);
        if (!found || area > bestArea || (area == bestArea && bits > bestBits)) {
            best = i, bestArea = area, bestBits = bits;
            found = true;
        }
    }
    return best;
}

// The delegate decoder of one entry, over the entry's bytes, which it keeps.
struct EntryImage {
    std::shared_ptr<std::vector<std::uint8_t>> bytes;
    SharedPtr<IDecoder> decoder;
    SharedPtr<IImage2D> image;
    bool bitmap = false;
};

EntryImage OpenEntry(std::vector<std::uint8_t> data)
{
    EntryImage entry;
    entry.bytes = std::make_shared<std::vector<std::uint8_t>>(std::move(data));
    std::vector<std::uint8_t> &bytes = *entry.bytes;
    auto stream = MakeShared<MemoryStream>(bytes.data(), bytes.size());
    if (HasPNGSignature(*stream)) {
        entry.decoder = PNGDecoderFactory().Create(stream, nullptr);
    } else {
        // A bitmap without file header whose height counts the mask rows too.
        if (bytes.size() < ICO::kInfoHeaderSize)
            throw Exception("the bitmap of this entry is shorter than its header");
        const std::uint32_t headerSize = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
        if (headerSize < ICO::kInfoHeaderSize)
            throw Exception("the bitmap of this entry has no BITMAPINFOHEADER");
        std::uint8_t *field = bytes.data() + ICO::kHeightFieldOffset;
        const std::int32_t height =
            std::int32_t(field[0] | field[1] << 8 | field[2] << 16 | std::uint32_t(field[3]) << 24);
        const std::uint32_t half = std::uint32_t(height / 2);
        for (int i = 0; i < 4; ++i)
            field[i] = std::uint8_t(half >> (8 * i));
        entry.decoder = BMPDecoderFactory().Create(stream, nullptr);
        entry.bitmap = true;
    }
    entry.image = DynamicPointerCast<IImage2D>(entry.decoder->Get(0));
    if (!entry.image)
        throw Exception(String("bast cast from ISceneItem to IImage2D (") + __FILE__ + ":" +
                        String::FromUnsigned(__LINE__) + ")");
    return entry;
}

} // namespace

ICODecoder::ICODecoder(SharedPtr<IStream> stream) : _stream(std::move(stream))
{
    if (!_stream)
        throw Exception("ICODecoder::ICODecoder: stream is nullptr");
    _stream->seek(0);
    if (_stream->size() < ICO::kDirectorySize)
        throw Exception("not an icon or cursor file");
    std::uint16_t count = 0;
    {
        LockStream<LittleEndian> directory(*_stream, ICO::kDirectorySize);
        _reserved = directory.UInt16();
        _type = directory.UInt16();
        count = directory.UInt16();
    }
    if (_reserved != 0 || (_type != ICO::kIconType && _type != ICO::kCursorType))
        throw Exception("not an icon or cursor file");
    if (count == 0)
        throw Exception("empty container!");
    if (ICO::kDirectorySize + ICO::kEntrySize * count > _stream->size())
        throw Exception("the icon directory is longer than the file");
    LockStream<LittleEndian> entries(*_stream, ICO::kEntrySize * count);
    _entries.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        _entries.push_back(ReadEntryFields(entries));
    _defaultEntry = ChooseDefault(_entries, IsCursor());
}

SharedPtr<ISceneItem> ICODecoder::Get(std::uint64_t index)
{
    if (index >= _entries.size())
        throw std::invalid_argument("ICODecoder::Get: image index must be less than image count");
    return MakeShared<ImageFromDecoderHack>(SharedFromThis<ICODecoder>(), index);
}

SharedPtr<ISceneItem> ICODecoder::ImageFromDecoderHack::Get(std::uint64_t)
{
    throw std::invalid_argument("ICODecoder::ImageFromDecoderHack::Get: an image has no children");
}

std::vector<std::uint8_t> ICODecoder::ReadEntry(std::uint64_t index)
{
    if (index >= _entries.size())
        throw std::invalid_argument("ICODecoder: image index must be less than image count");
    const Entry &e = _entries[index];
    std::lock_guard<std::mutex> guard(_streamMutex);
    const std::uint64_t size = _stream->size();
    // Offset and length come from the file: the file bounds both.
    if (e.dwImageOffset > size || e.dwBytesInRes > size - e.dwImageOffset)
        throw Exception("the image of this entry lies beyond the end of the file");
    if (e.dwBytesInRes == 0)
        throw Exception("this entry holds no image");
    std::vector<std::uint8_t> bytes(e.dwBytesInRes);
    _stream->seek(e.dwImageOffset);
    _stream->read(bytes.data(), bytes.size());
    return bytes;
}

Data::BasicInfo ICODecoder::DecodeBasicInfo(std::uint64_t index)
{
    const EntryImage entry = OpenEntry(ReadEntry(index));
    Data::BasicInfo info;
    entry.image->DecodeBasicInfo(info);
    if (info.colorType != Data::ColorType::BGRAUInt8 && info.colorType != Data::ColorType::BGRAUInt16)
        throw Exception("unknown color type");
    return info;
}

void ICODecoder::Decode(std::uint64_t index, void *buffer, std::uint64_t stride, std::uint64_t rows,
                        const SharedPtr<IProgress> &progress)
{
    const EntryImage entry = OpenEntry(ReadEntry(index));
    Data::BasicInfo info;
    entry.image->DecodeBasicInfo(info);
    if (info.colorType != Data::ColorType::BGRAUInt8 && info.colorType != Data::ColorType::BGRAUInt16)
        throw Exception("unknown color type");
    entry.image->GetRect(buffer, stride, rows, progress);
    if (entry.bitmap)
        ICO::ApplyAndMask(*entry.bytes, static_cast<Data::ColorBGRA<std::uint8_t> *>(buffer), stride, info.width,
                          info.height);
}

} // namespace Brintavolex
