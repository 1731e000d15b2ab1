#include "this/src/FileList/FolderFileList.h"

#include "Platform/api/FileSystem.h"

#include <set>

namespace Brintavolex {

SharedPtr<FolderFileList> FolderFileList::Create(const String &folder, const Options &options)
{
    std::vector<std::u16string> paths;
    // Folders still to read, the next on top; a stack rather than recursion,
    // so that deep trees cannot exhaust the call stack.
    std::vector<String> pending{folder};
    // Links that the system does not report as such (Wine shows Unix links
    // as plain folders) must not loop either: no folder is read twice.
    std::set<Platform::FileIdentity> read;
    while (!pending.empty()) {
        const String current = std::move(pending.back());
        pending.pop_back();
        Platform::FileIdentity identity;
        if (Platform::GetFileIdentity(current, identity) && !read.insert(identity).second)
            continue;
        if (options.onFolder)
            options.onFolder(current);
        std::vector<String> subfolders;
        for (const Platform::FolderEntry &entry : Platform::ListFolder(current)) {
            if (entry.kind == Platform::FolderEntry::Kind::File) {
                if (options.endings.Empty() || options.endings.Matches(entry.name))
                    paths.push_back(Platform::JoinPath(current, entry.name).ToU16String());
            } else if (entry.kind == Platform::FolderEntry::Kind::Folder && options.recursive) {
                subfolders.push_back(Platform::JoinPath(current, entry.name));
            }
        }
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
    }
    return SharedPtr<FolderFileList>(new FolderFileList(std::move(paths)));
}

} // namespace Brintavolex
