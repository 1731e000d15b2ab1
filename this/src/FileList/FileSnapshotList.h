#pragma once

#include "this/src/FileList/FileList.h"
#include "Platform/api/NameEndings.h"

#include <string>
#include <vector>

namespace Brintavolex {

// Files by full path in a fixed order: the base of the folder and Explorer
// lists. A step skips entries whose name begins with ":", names no decoder
// claims (as the registry stood when the list was built) and files that do
// not open now, so that the list never makes a missing file current.
class FileSnapshotList : public IFileList {
public:
    Iterator MoveIterator(const Iterator &iterator, int direction) override;
    bool SelectFile(const Iterator &iterator) override;
    std::uint64_t GetCount() override { return _paths.size(); }
    String GetFileFullPath(std::uint64_t index) override;
    Iterator GetIteratorFromNormalizedPath(const String &path) override;
    bool CanOpen(std::uint64_t index) override;

protected:
    explicit FileSnapshotList(std::vector<std::u16string> paths);

private:
    std::vector<std::u16string> _paths;
    NameEndings _claimed;
};

// The last component of a path, after its last separator ('\\' or '/').
std::u16string_view LeafName(std::u16string_view path) noexcept;
// The path up to its last separator ("/" for a file in the root); empty for
// a bare name.
std::u16string_view FolderOf(std::u16string_view path) noexcept;

} // namespace Brintavolex
