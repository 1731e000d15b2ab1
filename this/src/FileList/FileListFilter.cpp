#include "this/src/FileList/FileListFilter.h"

#include "Platform/api/CodecFactory.h"

#include <algorithm>
#include <stdexcept>

namespace Brintavolex {

SharedPtr<FileListFilter> FileListFilter::Create(const SharedPtr<IFileList> &parent, StringExpr extraEnding)
{
    if (!parent)
        throw std::invalid_argument("FileListFilter::FileListFilter: list is nullptr");
    NameEndings endings = RegisteredNameEndings();
    endings.AddEnding(extraEnding);
    std::vector<std::uint64_t> kept;
    const std::uint64_t count = parent->GetCount();
    for (std::uint64_t i = 0; i < count; ++i)
        if (endings.Matches(parent->GetFileFullPath(i)))
            kept.push_back(i);
    return SharedPtr<FileListFilter>(new FileListFilter(parent, std::move(kept)));
}

FileListFilter::FileListFilter(SharedPtr<IFileList> parent, std::vector<std::uint64_t> kept)
    : _parent(std::move(parent)), _kept(std::move(kept))
{
}

std::uint64_t FileListFilter::FromParent(std::uint64_t parentIndex) const
{
    const auto found = std::lower_bound(_kept.begin(), _kept.end(), parentIndex);
    return found != _kept.end() && *found == parentIndex ? std::uint64_t(found - _kept.begin()) : kNoPosition;
}

IFileList::Iterator FileListFilter::GetIteratorFromParentIterator(const Iterator &parentIterator)
{
    if (parentIterator.Empty())
        throw std::invalid_argument("FileListFilter::GetIteratorFromParentIterator: iterator is nullptr");
    if (parentIterator.list != _parent)
        throw std::invalid_argument("FileListFilter::GetIteratorFromParentIterator: invalid pointer");
    if (parentIterator.index == kNoPosition)
        return At(kNoPosition);
    const std::uint64_t index = FromParent(parentIterator.index);
    if (index == kNoPosition)
        throw std::invalid_argument("FileListFilter::GetIteratorFromParentIterator: index not found");
    return At(index);
}

IFileList::Iterator FileListFilter::MoveIterator(const Iterator &iterator, int direction)
{
    return Step(iterator, direction, [this](std::uint64_t index) { return _parent->CanOpen(_kept[index]); });
}

bool FileListFilter::SelectFile(const Iterator &iterator)
{
    const std::uint64_t index = OwnIndex(iterator, "SelectFile");
    CheckIndex(index, "SelectFile");
    return _parent->SelectFile(Iterator{_parent, _kept[index]});
}

String FileListFilter::GetFileFullPath(std::uint64_t index)
{
    CheckIndex(index, "GetFileFullPath");
    return _parent->GetFileFullPath(_kept[index]);
}

IFileList::Iterator FileListFilter::GetIteratorFromNormalizedPath(const String &path)
{
    const Iterator found = _parent->GetIteratorFromNormalizedPath(path);
    return At(found.HasPosition() ? FromParent(found.index) : kNoPosition);
}

bool FileListFilter::CanOpen(std::uint64_t index)
{
    CheckIndex(index, "CanOpen");
    return _parent->CanOpen(_kept[index]);
}

} // namespace Brintavolex
