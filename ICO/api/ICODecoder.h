#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/Stream.h"

#include <mutex>
#include <vector>

namespace Brintavolex {

// Windows icons and cursors: the directory is read at construction, each
// entry is one image, decoded on use by the PNG or the BMP decoder. A bad
// entry fails alone.
class ICODecoder : public IDecoder {
public:
    // One ICONDIRENTRY as stored. For cursors wPlanes and wBitCount hold the
    // hot spot's x and y.
    struct Entry {
        std::uint8_t bWidth, bHeight, bColorCount, bReserved;
        std::uint16_t wPlanes, wBitCount;
        std::uint32_t dwBytesInRes, dwImageOffset;
    };

    // Throws "not an icon or cursor file" or "empty container!".
    explicit ICODecoder(SharedPtr<IStream> stream);

    std::uint64_t GetCount() override { return _entries.size(); }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override;
    // The largest entry, of those the deepest colour.
    std::uint64_t GetDefaultIndex() override { return _defaultEntry; }

    bool IsCursor() const noexcept { return _type == 2; }
    const std::vector<Entry> &Entries() const noexcept { return _entries; }

    Data::BasicInfo DecodeBasicInfo(std::uint64_t entry);
    void Decode(std::uint64_t entry, void *buffer, std::uint64_t stride, std::uint64_t rows,
                const SharedPtr<IProgress> &progress);

    class ImageFromDecoderHack;

private:
    // The entry's bytes, checked against the file.
    std::vector<std::uint8_t> ReadEntry(std::uint64_t entry);

    SharedPtr<IStream> _stream;
    std::mutex _streamMutex;
    std::uint16_t _reserved = 0, _type = 0;
    std::vector<Entry> _entries;
    std::uint64_t _defaultEntry = 0;
};

class ICODecoder::ImageFromDecoderHack final : public IImage2D {
public:
    ImageFromDecoderHack(SharedPtr<ICODecoder> decoder, std::uint64_t entry)
        : _decoder(std::move(decoder)), _entry(entry)
    {
    }
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return _decoder->GetProperty(); }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = _decoder->DecodeBasicInfo(_entry); }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        _decoder->Decode(_entry, buffer, stride, rows, progress);
    }

private:
    SharedPtr<ICODecoder> _decoder;
    std::uint64_t _entry;
};

class ICODecoderFactory final : public DecoderFactory<ICODecoderFactory> {
public:
    String GetName() override { return "Brintavolex ICO Decoder"; }
    String GetExtensions() override { return "*.ico;*.cur"; }
    TextPair GetFilterStrings() override
    {
        return {String("Symbol- und Cursordateien (*.ico;*.cur)"), String("Icon and cursor files (*.ico;*.cur)")};
    }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<ICODecoder>(stream);
    }
};

} // namespace Brintavolex
