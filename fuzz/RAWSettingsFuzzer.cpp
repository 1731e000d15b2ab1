// Stored size tables, as a hand-edited or damaged settings file holds them:
// what is accepted must survive saving and loading unchanged, and every
// decoder made from it must end in a picture or a clean error over a stream
// of the size the entry is kept under.
#include "Interface/api/RML.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/String.h"
#include "RAW/api/RAWDecoderFactory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <unistd.h>

using namespace Brintavolex;

namespace {

// Zeros of any length, without memory behind them.
class ZeroStream final : public IStream {
public:
    explicit ZeroStream(std::uint64_t size) : _size(size) {}
    std::uint64_t tell() override { return _position; }
    std::uint64_t read(void *buffer, std::uint64_t count) override
    {
        if (count > _size - _position)
            throw Exception("end of stream");
        std::memset(buffer, 0, std::size_t(count));
        _position += count;
        return count;
    }
    void seek(std::uint64_t position) override
    {
        if (position > _size)
            throw Exception("end of stream");
        _position = position;
    }
    std::uint64_t size() override { return _size; }
    SharedPtr<IStream> Clone() override { return MakeShared<ZeroStream>(_size); }
    SharedPtr<IProperty> GetProperty(const Guid &) override { return nullptr; }

private:
    std::uint64_t _size, _position = 0;
};

struct Tree {
    CompositeOfProperties root{String("Settings")};
    CompositeOfProperties codecs{&root, String("Codecs")};
    SharedPtr<RAWDecoderSettings> raw = MakeShared<RAWDecoderSettings>(nullptr);
    Tree() { codecs.Register(raw); }
};

void Decode(const SharedPtr<IDecoder> &decoder, std::vector<std::uint8_t> &buffer)
{
    if (const auto picture = DynamicPointerCast<IImage2D>(decoder->Get(0))) {
        Data::BasicInfo info;
        picture->DecodeBasicInfo(info);
        picture->GetRect(buffer.data(), info.width, info.height, nullptr);
    } else if (const auto volume = DynamicPointerCast<RAW3DDecoder::Image3D>(decoder->Get(0))) {
        Data::BasicInfo3D info;
        volume->DecodeBasicInfo(info);
        volume->GetRect(buffer.data(), info.width, info.height, nullptr);
        volume->GetSlice(SliceOrientation::YZ, info.width - 1, buffer.data(), info.height, info.depth, nullptr);
        volume->GetSlice(SliceOrientation::XZ, info.height / 2, buffer.data(), info.width, info.depth, nullptr);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const String scratch = FromUTF8(
        (std::filesystem::temp_directory_path() / ("raw-fuzz-" + std::to_string(getpid()) + ".rml")).string());
    constexpr std::uint64_t kLimit = 1 << 20;
    ScopedDecodeLimit limit(kLimit);
    static std::vector<std::uint8_t> buffer(kLimit);
    Tree read;
    IReaderFromPropertyReader reader(
        RMLPropertyReader::FromBytes(std::string_view(reinterpret_cast<const char *>(data), size)));
    read.root.Read(reader);
    for (const auto &factory : read.raw->Factories()) {
        for (const auto &[fileSize, entry] : *factory->Table()) {
            try {
                Decode(factory->Create(MakeShared<ZeroStream>(fileSize), nullptr), buffer);
            } catch (const std::exception &) {
            }
        }
    }
    {
        IWriterFromPropertyWriter writer(MakeShared<RMLPropertyWriter>(scratch));
        read.root.Write(writer);
    }
    Tree again;
    IReaderFromPropertyReader rereader(MakeShared<RMLPropertyReader>(scratch));
    again.root.Read(rereader);
    for (const auto &factory : read.raw->Factories()) {
        if (!(*again.raw->FactoryFor(factory->Extension())->Table() == *factory->Table())) {
            std::fprintf(stderr, "the table of \"%s\" changed in a save and load\n",
                         factory->Extension().ToStdString().c_str());
            std::abort();
        }
    }
    return 0;
}
