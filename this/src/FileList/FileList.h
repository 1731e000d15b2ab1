#pragma once

#include "Root/api/SharedPtr.h"
#include "Root/api/String.h"

#include <cstdint>
#include <functional>

namespace Brintavolex {

// The ordered files the viewer steps through (next and previous file, the
// slideshow, the file slider). A list is a snapshot, built once and never
// changed, so iterators may be read on any thread; it is always held by a
// SharedPtr, and its iterators keep it alive.
class IFileList : public EnableSharedPtrFromThis {
public:
    static constexpr std::uint64_t kNoPosition = ~std::uint64_t(0);

    // A position in one list. Without a list it is empty. With kNoPosition it
    // stands before the first entry and after the last, so that a step in
    // either direction lands on an entry.
    struct Iterator {
        SharedPtr<IFileList> list;
        std::uint64_t index = kNoPosition;
        bool Empty() const noexcept { return !list; }
        bool HasPosition() const noexcept { return list && index != kNoPosition; }
    };

    virtual ~IFileList() = default;

    // The next entry in direction (+1 or -1) whose file opens now, wrapping
    // at both ends. Each entry is tried once, so a list of one file moves
    // onto itself; empty when no entry qualifies.
    virtual Iterator MoveIterator(const Iterator &iterator, int direction) = 0;
    // Shows the file as selected outside the program (in the Explorer window
    // the list follows); true when done or when there is nothing to do.
    virtual bool SelectFile(const Iterator &iterator) = 0;
    virtual std::uint64_t GetCount() = 0;
    virtual String GetFileFullPath(std::uint64_t index) = 0;
    // The entry of a full path: the one spelt alike, else the first that
    // differs only in case (as Windows compares names); no position when
    // the list lacks it.
    virtual Iterator GetIteratorFromNormalizedPath(const String &path) = 0;
    // True when the entry's file opens for reading now. Missing, locked and
    // forbidden files give false quietly; other failures are logged.
    virtual bool CanOpen(std::uint64_t index) = 0;

    // These check that the iterator belongs to this list: "<list>::<call>:
    // iterator is nullptr" for an empty one, "... invalid pointer" for one
    // of another list (std::invalid_argument).
    std::uint64_t GetIndexFromIterator(const Iterator &iterator);
    String GetNormalizedPathFromIterator(const Iterator &iterator);
    // "<list>::GetIteratorFromIndex: index is out of range" past the end.
    Iterator GetIteratorFromIndex(std::uint64_t index);

protected:
    // The list's name in messages.
    virtual const char *ClassName() const noexcept = 0;
    // The iterator's index (perhaps kNoPosition) once it is known to be ours.
    std::uint64_t OwnIndex(const Iterator &iterator, const char *call);
    // Throws unless index < GetCount().
    void CheckIndex(std::uint64_t index, const char *call);
    // The stepping rule of MoveIterator over GetCount() entries: the first
    // index in direction that accept takes.
    Iterator Step(const Iterator &iterator, int direction, const std::function<bool(std::uint64_t)> &accept);
    Iterator At(std::uint64_t index) { return Iterator{SharedFromThis<IFileList>(), index}; }
};

} // namespace Brintavolex
