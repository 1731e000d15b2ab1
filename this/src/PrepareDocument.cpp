#include "this/src/ImageManager.h"

#include "Platform/api/CommandTexts.h"
#include "this/src/FrameLoader.h"
#include "this/src/Logger.h"
#include "this/src/Slot.h"

#include <algorithm>
#include <new>

namespace Brintavolex {

namespace {
constexpr unsigned kEnglish = 1;
} // namespace

SharedPtr<PreparedDocument> PrepareDocument(const String &path, const IFileList::Iterator &position,
                                            const SharedPtr<IProgress> &progress)
{
    auto document = MakeShared<PreparedDocument>();
    try {
        document->path = path;
        document->position = position;
        Slot slot(path, {MakeShared<DefaultIndex>()});
        try {
            slot.Load(MakeShared<NullLogger>());
        } catch (const NoDecoderAcceptsException &) {
            // Perhaps headerless data: the application offers the import.
            document->unclaimed = true;
            throw;
        }
        document->loaded = slot.GetLoaded();
        const LoadedItem &loaded = document->loaded;
        // A volume is sliced by its viewer, which decodes it there.
        if (loaded.image3D && !loaded.image2D)
            return document;
        if (!loaded.image2D)
            throw Exception("this file holds no 2D picture");
        const std::uint64_t count = loaded.decoder ? loaded.decoder->GetCount() : 1;
        if (count == 0)
            throw Exception("this file holds no images");
        document->imageCount = count;
        document->firstIndex = count > 1 ? std::min(loaded.decoder->GetDefaultIndex(), count - 1) : 0;
        // Read before any image decodes; the decoder is this thread's alone.
        if (count > 1)
            document->delays = FrameLoader::ReadDelays(*loaded.decoder);
        document->firstImage = loaded.image2D->GetData(progress);
        // The first paint asks; the answer stays with the picture, so the
        // scan runs here and not on the GUI thread.
        if (document->firstImage)
            document->firstImage->IsOpaque();
        // The orientation came with the information the decode read.
        document->exifOrientation = loaded.image2D->GetExifOrientation();
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

} // namespace Brintavolex
