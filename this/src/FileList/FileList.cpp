#include "this/src/FileList/FileList.h"

#include <stdexcept>
#include <string>

namespace Brintavolex {

namespace {

std::string Message(const char *list, const char *call, const char *problem)
{
    return std::string(list) + "::" + call + ": " + problem;
}

} // namespace

std::uint64_t IFileList::OwnIndex(const Iterator &iterator, const char *call)
{
    if (iterator.Empty())
        throw std::invalid_argument(Message(ClassName(), call, "iterator is nullptr"));
    if (iterator.list.Get() != this)
        throw std::invalid_argument(Message(ClassName(), call, "invalid pointer"));
    return iterator.index;
}

void IFileList::CheckIndex(std::uint64_t index, const char *call)
{
    if (index >= GetCount())
        throw std::invalid_argument(Message(ClassName(), call, "index is out of range"));
}

std::uint64_t IFileList::GetIndexFromIterator(const Iterator &iterator)
{
    return OwnIndex(iterator, "GetIndexFromIterator");
}

String IFileList::GetNormalizedPathFromIterator(const Iterator &iterator)
{
    const std::uint64_t index = OwnIndex(iterator, "GetNormalizedPathFromIterator");
    CheckIndex(index, "GetNormalizedPathFromIterator");
    return GetFileFullPath(index);
}

IFileList::Iterator IFileList::GetIteratorFromIndex(std::uint64_t index)
{
    CheckIndex(index, "GetIteratorFromIndex");
    return At(index);
}

IFileList::Iterator IFileList::Step(const Iterator &iterator, int direction,
                                    const std::function<bool(std::uint64_t)> &accept)
{
    if (direction != 1 && direction != -1)
        throw std::invalid_argument(Message(ClassName(), "MoveIterator", "direction must be -1 or +1"));
    std::uint64_t index = OwnIndex(iterator, "MoveIterator");
    const std::uint64_t count = GetCount();
    // From no position (all ones) the first step forward wraps to 0, the
    // first step backward falls outside and wraps to the end.
    for (std::uint64_t tried = 0; tried < count; ++tried) {
        index += std::uint64_t(std::int64_t(direction));
        if (index >= count)
            index = direction > 0 ? 0 : count - 1;
        if (accept(index))
            return At(index);
    }
    return Iterator{};
}

} // namespace Brintavolex
