#include "this/src/ImageManager.h"

#include "Platform/api/Progress.h"
#include "Platform/api/Threading.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Brintavolex {

namespace {

// One file of the current neighbourhood: waiting, being prepared or ready.
struct Entry {
    enum class Phase { Queued, Running, Done };
    IFileList::Iterator position;
    String path;
    SharedPtr<ImageView::ProgressCallbackImplementation> progress =
        MakeShared<ImageView::ProgressCallbackImplementation>();
    Phase phase = Phase::Queued;
    SharedPtr<PreparedDocument> document;
    // Bytes without a file, named by path; no position.
    std::optional<std::vector<std::uint8_t>> bytes;
    ImageManager::PaintAhead paintAhead;
};

// The view's resampling made on the worker, so the step to the document
// paints by copying. A failure costs only that.
void ResampleAhead(const Entry &entry, PreparedDocument &document)
{
    if (!entry.paintAhead || !document.firstImage || !document.error.Empty())
        return;
    try {
        document.firstResampled = entry.paintAhead(document.firstImage, document.exifOrientation);
    } catch (...) {
        document.firstResampled.reset();
    }
}
using EntryPointer = std::shared_ptr<Entry>;

bool SamePosition(const IFileList::Iterator &a, const IFileList::Iterator &b) noexcept
{
    return a.list.Get() == b.list.Get() && a.index == b.index;
}

// Within one step of the centre, wrapping at both ends: a cheap bound that
// keeps at most three documents without asking the file system.
bool IsNearby(const IFileList::Iterator &position, const IFileList::Iterator &centre)
{
    if (position.list.Get() != centre.list.Get() || !position.HasPosition() || !centre.HasPosition())
        return false;
    const std::uint64_t count = position.list->GetCount();
    if (count == 0)
        return false;
    const std::uint64_t distance = (position.index + count - centre.index % count) % count;
    return distance == 0 || distance == 1 || distance == count - 1;
}

} // namespace

struct ImageManager::State {
    SharedPtr<IGuiThreadPoster> poster;
    Ready ready;
    // Read and written on the GUI thread only; posted deliveries check it.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    std::mutex mutex;
    std::condition_variable changed;
    // The selection first, prefetches after it.
    std::deque<EntryPointer> queue;
    // The current file and its neighbours, in any phase: what the manager
    // holds.
    std::vector<EntryPointer> documents;
    EntryPointer selected;
    bool delivered = false;
    EntryPointer running;
    // Dropped entries, released by the worker: freeing a photo costs the
    // GUI thread milliseconds.
    std::vector<EntryPointer> released;
    bool stopping = false;
    std::unique_ptr<Thread> worker;

    static std::uint64_t Work(void *argument);
    EntryPointer Find(const IFileList::Iterator &position) const;
    // Cancels the entry's decode and hands it to the worker to release
    // (caller holds the lock).
    void Drop(const EntryPointer &entry);
    // Without the lock: a poster may run the task at once.
    void PostDelivery(const EntryPointer &entry);
    void Deliver(const EntryPointer &entry);
};

EntryPointer ImageManager::State::Find(const IFileList::Iterator &position) const
{
    for (const EntryPointer &entry : documents)
        if (SamePosition(entry->position, position))
            return entry;
    return nullptr;
}

void ImageManager::State::Drop(const EntryPointer &entry)
{
    entry->progress->Cancel();
    queue.erase(std::remove(queue.begin(), queue.end(), entry), queue.end());
    documents.erase(std::remove(documents.begin(), documents.end(), entry), documents.end());
    released.push_back(entry);
    changed.notify_all();
}

void ImageManager::State::PostDelivery(const EntryPointer &entry)
{
    poster->Post([alive = std::weak_ptr<bool>(alive), state = this, entry] {
        if (const auto living = alive.lock(); living && *living)
            state->Deliver(entry);
    });
}

void ImageManager::State::Deliver(const EntryPointer &entry)
{
    SharedPtr<PreparedDocument> document;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (entry != selected || delivered || !entry->document)
            return;
        delivered = true;
        document = entry->document;
        // A failure is tried again when its file is selected again.
        if (!document->error.Empty())
            Drop(entry);
    }
    if (ready)
        ready(document);
}

std::uint64_t ImageManager::State::Work(void *argument)
{
    State &state = *static_cast<State *>(argument);
    std::unique_lock<std::mutex> lock(state.mutex);
    for (;;) {
        state.changed.wait(lock, [&] { return state.stopping || !state.queue.empty() || !state.released.empty(); });
        if (!state.released.empty()) {
            // Memory first, before the next decode needs it.
            std::vector<EntryPointer> released;
            released.swap(state.released);
            lock.unlock();
            released.clear();
            lock.lock();
            continue;
        }
        if (state.stopping)
            return 0;
        const EntryPointer entry = state.queue.front();
        state.queue.pop_front();
        entry->phase = Entry::Phase::Running;
        state.running = entry;
        lock.unlock();
        SharedPtr<PreparedDocument> document =
            entry->bytes ? PrepareMemoryDocument(std::move(*entry->bytes), entry->path, entry->progress)
                         : PrepareDocument(entry->path, entry->position, entry->progress);
        lock.lock();
        // A prefetch selected meanwhile is painted at once: ahead would only delay it.
        if (entry != state.selected) {
            lock.unlock();
            ResampleAhead(*entry, *document);
            lock.lock();
        }
        entry->document = std::move(document);
        entry->phase = Entry::Phase::Done;
        state.running.reset();
        state.changed.notify_all();
        if (entry == state.selected) {
            lock.unlock();
            state.PostDelivery(entry);
            lock.lock();
        } else if (!entry->document->error.Empty()) {
            state.Drop(entry); // a failed prefetch is forgotten
        }
    }
}

ImageManager::ImageManager(SharedPtr<IGuiThreadPoster> poster, Ready ready) : _state(std::make_unique<State>())
{
    if (!poster)
        throw Exception("ImageManager: poster is nullptr");
    _state->poster = std::move(poster);
    _state->ready = std::move(ready);
    _state->worker = std::make_unique<Thread>(&State::Work, _state.get());
}

ImageManager::~ImageManager()
{
    *_state->alive = false;
    Clear();
    {
        std::lock_guard<std::mutex> lock(_state->mutex);
        _state->stopping = true;
    }
    _state->changed.notify_all();
    _state->worker.reset();
}

void ImageManager::SelectFile(const IFileList::Iterator &position)
{
    if (!position.HasPosition())
        throw Exception("SelectFile: _FileListIterator==nullptr");
    const String path = position.list->GetNormalizedPathFromIterator(position);
    _current = position;
    State &s = *_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    EntryPointer entry = s.Find(position);
    if (!entry) {
        entry = std::make_shared<Entry>();
        entry->position = position;
        entry->path = path;
        s.documents.push_back(entry);
    }
    // An overtaken selection next to the new one stays as its prefetch;
    // everything farther away is cancelled.
    s.selected = entry;
    s.delivered = false;
    for (const EntryPointer &other : std::vector<EntryPointer>(s.documents))
        if (!IsNearby(other->position, position))
            s.Drop(other);
    switch (entry->phase) {
    case Entry::Phase::Queued:
        s.queue.erase(std::remove(s.queue.begin(), s.queue.end(), entry), s.queue.end());
        s.queue.push_front(entry);
        s.changed.notify_all();
        break;
    case Entry::Phase::Running: // delivered when the worker is done
        break;
    case Entry::Phase::Done:
        lock.unlock();
        s.PostDelivery(entry);
        break;
    }
}

void ImageManager::SelectMemory(std::vector<std::uint8_t> bytes, const String &name)
{
    _current = IFileList::Iterator{};
    auto entry = std::make_shared<Entry>();
    entry->path = name;
    entry->bytes = std::move(bytes);
    State &s = *_state;
    std::lock_guard<std::mutex> lock(s.mutex);
    // Nothing of a list is near bytes without one.
    for (const EntryPointer &other : std::vector<EntryPointer>(s.documents))
        s.Drop(other);
    s.documents.push_back(entry);
    s.selected = entry;
    s.delivered = false;
    s.queue.push_front(entry);
    s.changed.notify_all();
}

void ImageManager::Step(int direction, const char *emptyMessage)
{
    if (_current.Empty())
        throw Exception(emptyMessage);
    const IFileList::Iterator target = _current.list->MoveIterator(_current, direction);
    // Nothing in the list opens now: the document shown stays.
    if (!target.Empty())
        SelectFile(target);
}

void ImageManager::NextFile() { Step(+1, "NextFile: _FileListIterator==nullptr"); }

void ImageManager::PrevFile() { Step(-1, "PrevFile: _FileListIterator==nullptr"); }

void ImageManager::ArbitraryImageFromIndex(std::uint64_t index)
{
    if (_current.Empty())
        throw Exception("ArbitraryImageFromIndex: _FileListIterator==nullptr");
    SelectFile(_current.list->GetIteratorFromIndex(index));
}

void ImageManager::Prefetch(PaintAhead paintAhead)
{
    if (!_current.HasPosition())
        return;
    const SharedPtr<IFileList> &list = _current.list;
    // Next first: browsing goes forward more often than back.
    std::vector<std::pair<IFileList::Iterator, String>> wanted;
    for (const int direction : {+1, -1}) {
        const IFileList::Iterator neighbour = list->MoveIterator(_current, direction);
        if (neighbour.Empty() || SamePosition(neighbour, _current))
            continue;
        if (wanted.empty() || !SamePosition(wanted.front().first, neighbour))
            wanted.emplace_back(neighbour, list->GetNormalizedPathFromIterator(neighbour));
    }
    State &s = *_state;
    std::lock_guard<std::mutex> lock(s.mutex);
    // Room first: what is no longer a neighbour goes before a decode starts.
    for (const EntryPointer &entry : std::vector<EntryPointer>(s.documents)) {
        const bool keep = SamePosition(entry->position, _current) ||
                          std::any_of(wanted.begin(), wanted.end(), [&](const auto &w) {
                              return SamePosition(entry->position, w.first);
                          });
        if (!keep)
            s.Drop(entry);
    }
    for (const auto &[position, path] : wanted) {
        if (s.Find(position))
            continue;
        auto entry = std::make_shared<Entry>();
        entry->position = position;
        entry->path = path;
        entry->paintAhead = paintAhead;
        s.documents.push_back(entry);
        s.queue.push_back(entry);
    }
    s.changed.notify_all();
}

void ImageManager::Clear()
{
    State &s = *_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (const EntryPointer &entry : std::vector<EntryPointer>(s.documents))
        s.Drop(entry);
    s.queue.clear();
    if (s.running)
        s.running->progress->Cancel();
    s.selected.reset();
    s.delivered = false;
    // Nothing of the files stays open once this returns.
    s.changed.wait(lock, [&] { return !s.running; });
    std::vector<EntryPointer> released;
    released.swap(s.released);
    lock.unlock();
    released.clear();
    _current = IFileList::Iterator{};
}

bool ImageManager::IsLoading() const noexcept
{
    std::lock_guard<std::mutex> lock(_state->mutex);
    return _state->selected && !_state->delivered;
}

std::size_t ImageManager::PrefetchedCount() const noexcept
{
    std::lock_guard<std::mutex> lock(_state->mutex);
    return std::size_t(std::count_if(_state->documents.begin(), _state->documents.end(), [&](const EntryPointer &e) {
        return e->phase == Entry::Phase::Done && e != _state->selected;
    }));
}

} // namespace Brintavolex
