#pragma once

// The application's documents: the file of the current file-list position,
// opened and its first image decoded on a worker thread, and its neighbours
// decoded ahead (prefetch) so that stepping to them shows at once.

#include "GUI/api/ResampledPicture.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/GuiThreadPoster.h"
#include "this/src/FileList/FileList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Brintavolex {

// One file, opened: the decoder chosen and its header read, the first image
// decoded (2D pictures). Built on a worker; read-only once handed over.
struct PreparedDocument {
    String path;
    IFileList::Iterator position;
    // Decoder, scene item and caches; empty when the file did not open.
    LoadedItem loaded;
    // The default image of a 2D file, decoded, with its Exif orientation.
    SharedPtr<Data::Image2DBase> firstImage;
    std::uint16_t exifOrientation = 1;
    // That image resampled for the view ahead of its paint (prefetches only), or null.
    std::shared_ptr<const GUI::ResampledPicture> firstResampled;
    std::uint64_t firstIndex = 0;
    std::uint64_t imageCount = 1;
    // Shown delay of each image in milliseconds (animations); else empty.
    std::vector<std::uint32_t> delays;
    // No decoder took the file (perhaps headerless data).
    bool unclaimed = false;
    // Bytes without a file (path is only their name): no list, nothing to
    // print or delete.
    bool inMemory = false;
    // Why the file did not open or decode; empty when it did.
    String error;
};

class ImageManager {
public:
    // On the GUI thread, once the selected file is ready (or failed).
    using Ready = std::function<void(const SharedPtr<PreparedDocument> &)>;
    // On the worker, after a prefetch decoded its first image: what the view
    // would resample when showing it (null: nothing worth it).
    using PaintAhead = std::function<std::shared_ptr<const GUI::ResampledPicture>(
        const SharedPtr<Data::Image2DBase> &picture, std::uint16_t exifOrientation)>;
    // Default budget of prefetched documents beside the one shown.
    static constexpr std::uint32_t kDefaultNeighbours = 1;

    ImageManager(SharedPtr<IGuiThreadPoster> poster, Ready ready);
    // Cancels the work in progress and waits for the worker.
    ~ImageManager();
    ImageManager(const ImageManager &) = delete;
    ImageManager &operator=(const ImageManager &) = delete;

    // Makes the position current and loads its file (from the prefetched
    // documents when there); a load in progress for another file is dropped.
    void SelectFile(const IFileList::Iterator &position);
    // Loads bytes without a file (see PrepareMemoryDocument) as the new
    // selection, on the worker like a file; it has no list, so there is no
    // current position afterwards.
    void SelectMemory(std::vector<std::uint8_t> bytes, const String &name);
    // Steps the current position by +1/-1 (MoveIterator, wrapping) and loads
    // the file found. "NextFile: _FileListIterator==nullptr" /
    // "PrevFile: ..." without a current position.
    void NextFile();
    void PrevFile();
    // The file at index of the current list;
    // "ArbitraryImageFromIndex: _FileListIterator==nullptr" without one.
    void ArbitraryImageFromIndex(std::uint64_t index);
    // Decodes the next and previous files of the current list ahead, within
    // the budget; forgets prefetched documents that are no longer
    // neighbours. Called once the current document is shown. Documents
    // decoded from now on are resampled ahead by paintAhead, when given.
    void Prefetch(PaintAhead paintAhead = {});
    // Drops all work and documents (closing, or a file deleted).
    void Clear();

    const IFileList::Iterator &Current() const noexcept { return _current; }
    // A selected file has not yet been handed to Ready.
    bool IsLoading() const noexcept;
    // Prefetched documents held now (for tests and measurements).
    std::size_t PrefetchedCount() const noexcept;

private:
    struct State;
    void Step(int direction, const char *emptyMessage);
    IFileList::Iterator _current;
    std::unique_ptr<State> _state;
};

// Opens and decodes one file the way the manager's worker does (synchronous;
// for the worker and for tests). Never throws: failures land in error.
// progress may cancel the decode (error then says so).
SharedPtr<PreparedDocument> PrepareDocument(const String &path, const IFileList::Iterator &position,
                                            const SharedPtr<IProgress> &progress = nullptr);

// Bytes without a file (a pasted bitmap, a dropped virtual file) opened as a
// file of that name would be: its extension chooses the decoder. The
// document owns the bytes. Never throws, as PrepareDocument.
SharedPtr<PreparedDocument> PrepareMemoryDocument(std::vector<std::uint8_t> bytes, const String &name,
                                                  const SharedPtr<IProgress> &progress = nullptr);

} // namespace Brintavolex
