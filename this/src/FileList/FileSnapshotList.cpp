#include "this/src/FileList/FileSnapshotList.h"

#include "Platform/api/CodecFactory.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/FileSystem.h"
#include "Platform/api/Stream.h"
#include "Platform/api/String.h"

namespace Brintavolex {

std::u16string_view LeafName(std::u16string_view path) noexcept
{
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

std::u16string_view FolderOf(std::u16string_view path) noexcept
{
    const std::size_t separator = path.find_last_of(u"\\/");
    if (separator == std::u16string_view::npos)
        return {};
    // The root keeps its separator.
    return path.substr(0, separator == 0 ? 1 : separator);
}

FileSnapshotList::FileSnapshotList(std::vector<std::u16string> paths)
    : _paths(std::move(paths)), _claimed(RegisteredNameEndings())
{
}

IFileList::Iterator FileSnapshotList::MoveIterator(const Iterator &iterator, int direction)
{
    return Step(iterator, direction, [this](std::uint64_t index) {
        return _claimed.MatchesUTF16(_paths[index]) && CanOpen(index);
    });
}

bool FileSnapshotList::SelectFile(const Iterator &iterator)
{
    OwnIndex(iterator, "SelectFile");
    return true;
}

String FileSnapshotList::GetFileFullPath(std::uint64_t index)
{
    CheckIndex(index, "GetFileFullPath");
    return String(StringExpr(_paths[index]));
}

IFileList::Iterator FileSnapshotList::GetIteratorFromNormalizedPath(const String &path)
{
    const std::u16string wanted = path.ToU16String();
    std::uint64_t found = kNoPosition;
    for (std::uint64_t i = 0; i < _paths.size(); ++i) {
        if (_paths[i] == wanted)
            return At(i);
        if (found == kNoPosition && EqualIgnoringCase(_paths[i], wanted))
            found = i;
    }
    return At(found);
}

bool FileSnapshotList::CanOpen(std::uint64_t index)
{
    CheckIndex(index, "CanOpen");
    const std::u16string &path = _paths[index];
    if (LeafName(path).starts_with(u':'))
        return false;
    const std::uint32_t error = Platform::TryOpenForReading(String(StringExpr(path)));
    if (error == 0)
        return true;
    // Deleted, renamed or locked since the list was built: ordinary.
    if (error != SystemError::FileNotFound && error != SystemError::PathNotFound &&
        error != SystemError::AccessDenied && error != SystemError::SharingViolation)
        ErrorLog::LogPair(__FILE_NAME__, __LINE__, String(StringExpr(path)) + ":",
                          "CreateFileW failed with error code " + String::FromUnsigned(error));
    return false;
}

} // namespace Brintavolex
