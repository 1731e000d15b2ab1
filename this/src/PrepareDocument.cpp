#include "this/src/ImageManager.h"

#include "Platform/api/CommandTexts.h"
#include "this/src/FrameLoader.h"
#include "this/src/Logger.h"
#include "Platform/api/Stream.h"
#include "this/src/Codecs.h"
#include "this/src/Slot.h"

#include <algorithm>
#include <memory>
#include <new>

namespace Brintavolex {

namespace {

constexpr unsigned kEnglish = 1;

// Reads bytes it shares with its clones: the document keeps them alive as
// long as its decoder reads, whatever happens to where they came from.
class SharedBytesStream final : public Stream {
public:
    explicit SharedBytesStream(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
        : _bytes(std::move(bytes)), _view(_bytes->data(), _bytes->size())
    {
    }
    std::uint64_t tell() override { return _view.tell(); }
    std::uint64_t read(void *buffer, std::uint64_t count) override { return _view.read(buffer, count); }
    void seek(std::uint64_t position) override { _view.seek(position); }
    std::uint64_t size() override { return _view.size(); }
    SharedPtr<IStream> Clone() override { return MakeShared<SharedBytesStream>(_bytes); }
    SharedPtr<IProperty> GetProperty(const Guid &) override { return nullptr; }
    StreamLock lock(std::uint64_t count) override { return _view.lock(count); }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> _bytes;
    MemoryStream _view;
};

// Fills the document from the item loaded; throws what the caller turns into
// the document's error.
void DecodeFirstImage(PreparedDocument &document, const SharedPtr<IProgress> &progress)
{
    const LoadedItem &loaded = document.loaded;
    // A volume is sliced by its viewer, which decodes it there.
    if (loaded.image3D && !loaded.image2D)
        return;
    if (!loaded.image2D)
        throw Exception("this file holds no 2D picture");
    const std::uint64_t count = loaded.decoder ? loaded.decoder->GetCount() : 1;
    if (count == 0)
        throw Exception("this file holds no images");
    document.imageCount = count;
    document.firstIndex = count > 1 ? std::min(loaded.decoder->GetDefaultIndex(), count - 1) : 0;
    // Read before any image decodes; the decoder is this thread's alone.
    if (count > 1)
        document.delays = FrameLoader::ReadDelays(*loaded.decoder);
    document.firstImage = loaded.image2D->GetData(progress);
    // The first paint asks; the answer stays with the picture, so the
    // scan runs here and not on the GUI thread.
    if (document.firstImage)
        document.firstImage->IsOpaque();
    // The orientation came with the information the decode read.
    document.exifOrientation = loaded.image2D->GetExifOrientation();
}

// Runs open, which loads the item, then decodes; failures land in error.
template <class Open> SharedPtr<PreparedDocument> Prepare(const SharedPtr<IProgress> &progress, Open &&open)
{
    auto document = MakeShared<PreparedDocument>();
    try {
        open(*document);
        DecodeFirstImage(*document, progress);
    } catch (const std::bad_alloc &) {
        document->firstImage = SharedPtr<Data::Image2DBase>();
        document->error = Texts::NotEnoughMemory[kEnglish];
    } catch (const Exception &e) {
        document->error = e.Message();
    } catch (const std::exception &e) {
        document->error = String(e.what());
    } catch (...) {
        document->error = String("unknown exception");
    }
    return document;
}

} // namespace

SharedPtr<PreparedDocument> PrepareDocument(const String &path, const IFileList::Iterator &position,
                                            const SharedPtr<IProgress> &progress)
{
    return Prepare(progress, [&](PreparedDocument &document) {
        document.path = path;
        document.position = position;
        Slot slot(path, {MakeShared<DefaultIndex>()});
        try {
            slot.Load(MakeShared<NullLogger>());
        } catch (const NoDecoderAcceptsException &) {
            // Perhaps headerless data: the application offers the import.
            document.unclaimed = true;
            throw;
        }
        document.loaded = slot.GetLoaded();
    });
}

SharedPtr<PreparedDocument> PrepareMemoryDocument(std::vector<std::uint8_t> bytes, const String &name,
                                                  const SharedPtr<IProgress> &progress)
{
    return Prepare(progress, [&](PreparedDocument &document) {
        document.path = name;
        document.inMemory = true;
        UseApplicationCodecs();
        const auto stream = MakeShared<SharedBytesStream>(
            std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)));
        document.loaded = LoadFromStream(stream, name, {MakeShared<DefaultIndex>()}, MakeShared<NullLogger>());
    });
}

} // namespace Brintavolex
