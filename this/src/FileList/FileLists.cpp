#include "this/src/FileList/FileLists.h"

#include "this/src/FileList/ExplorerFileList.h"
#include "this/src/FileList/FileListFilter.h"
#include "this/src/FileList/FolderFileList.h"
#include "Platform/api/CodecFactory.h"

namespace Brintavolex {

namespace {

FileListPosition Filtered(const SharedPtr<IFileList> &list, const String &file)
{
    // The file's own name (with the separator before it) is an ending, so
    // that a file a decoder took despite its extension stays in its list.
    const std::u16string path = file.ToU16String();
    const std::size_t nameLength = LeafName(path).size();
    const std::u16string_view ownName =
        nameLength < path.size() ? std::u16string_view(path).substr(path.size() - nameLength - 1) : std::u16string_view();
    const SharedPtr<FileListFilter> filter = FileListFilter::Create(list, StringExpr(ownName));
    return {filter, filter->GetIteratorFromNormalizedPath(file)};
}

} // namespace

FileListPosition ListForOpenedFile(const String &file, IExplorerWindows &windows)
{
    if (SharedPtr<ExplorerFileList> explorer = ExplorerFileList::Create(file, windows))
        return Filtered(explorer, file);
    return ListForChosenFile(file);
}

FileListPosition ListForChosenFile(const String &file)
{
    const std::u16string path = file.ToU16String();
    return Filtered(FolderFileList::Create(String(StringExpr(FolderOf(path)))), file);
}

SharedPtr<IFileList> ListForDroppedFolder(const String &folder, const std::function<void(const String &)> &onFolder)
{
    FolderFileList::Options options;
    options.recursive = true;
    options.endings = RegisteredNameEndings();
    options.onFolder = onFolder;
    return FolderFileList::Create(folder, options);
}

} // namespace Brintavolex
