#pragma once

// What a drop (or a paste of files) hands the application, and the reading
// of virtual files that other programs drop: a descriptor names them, their
// contents come separately. Both come from another process, so nothing in
// them is trusted.

#include "Root/api/String.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Brintavolex {

struct DroppedItem {
    // A dropped file or folder; empty for a virtual file.
    String path;
    // A virtual file: its contents and its name.
    std::vector<std::uint8_t> bytes;
    String name;
    // Why nothing could be read; the rest is empty then.
    String error;
};

// The first entry of a file group descriptor: its name without folders and,
// when the descriptor gives it, its size.
struct DescribedFile {
    String name;
    std::optional<std::uint64_t> size;
};

// Reads the descriptor in its wide ("FileGroupDescriptorW") or narrow form
// (Windows-1252 names). Throws what is wrong with it.
DescribedFile FirstDescribedFile(const std::uint8_t *data, std::size_t size, bool wide);

// Gives up to capacity bytes into buffer; 0 at the end of the contents.
using ReadSome = std::function<std::size_t(std::uint8_t *buffer, std::size_t capacity)>;
// A virtual file's contents: up to the described size when there is one,
// else to the end, and never more than limit bytes (throws then). Only the
// bytes read are kept: a short stream gives a short file.
std::vector<std::uint8_t> ReadVirtualFile(const ReadSome &read, std::optional<std::uint64_t> size,
                                          std::uint64_t limit);

} // namespace Brintavolex
