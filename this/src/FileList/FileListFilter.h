#pragma once

#include "this/src/FileList/FileList.h"

#include <vector>

namespace Brintavolex {

// The entries of a parent list that some registered decoder claims, or that
// end with one extra ending, in the parent's order. Steps skip files that do
// not open now, as the parent would.
class FileListFilter final : public IFileList {
public:
    // "FileListFilter::FileListFilter: list is nullptr" without a parent.
    static SharedPtr<FileListFilter> Create(const SharedPtr<IFileList> &parent, StringExpr extraEnding = {});

    // The filter's position for a position of the parent (no position for
    // none); "...: index not found" when the filter left that entry out.
    Iterator GetIteratorFromParentIterator(const Iterator &parentIterator);

    Iterator MoveIterator(const Iterator &iterator, int direction) override;
    bool SelectFile(const Iterator &iterator) override;
    std::uint64_t GetCount() override { return _kept.size(); }
    String GetFileFullPath(std::uint64_t index) override;
    Iterator GetIteratorFromNormalizedPath(const String &path) override;
    bool CanOpen(std::uint64_t index) override;

protected:
    const char *ClassName() const noexcept override { return "FileListFilter"; }

private:
    FileListFilter(SharedPtr<IFileList> parent, std::vector<std::uint64_t> kept);
    // The filter index of a parent index; kNoPosition when left out.
    std::uint64_t FromParent(std::uint64_t parentIndex) const;

    SharedPtr<IFileList> _parent;
    std::vector<std::uint64_t> _kept; // parent indices, ascending
};

} // namespace Brintavolex
