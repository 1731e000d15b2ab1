#pragma once

// What the open dialog offers: its file types, from the codec registry, and
// the names of the common dialogs' error codes.

#include "Platform/api/CodecFactory.h"

#include <cstdint>
#include <vector>

namespace Brintavolex {

struct FileTypeFilter {
    String description; // "PNG files (*.png)"
    String patterns;    // "*.png", several separated by semicolons
};

// "All files" first, then each factory's filter text with its patterns, in
// the language of languageIndex (the TextPair index). Factories without a
// filter text (the fixed-geometry RAW helpers) are left out.
std::vector<FileTypeFilter> OpenDialogFilters(const std::vector<SharedPtr<CodecFactory>> &factories,
                                              unsigned languageIndex);
// Of the registry's factories.
std::vector<FileTypeFilter> OpenDialogFilters(unsigned languageIndex);

// The name of a CommDlgExtendedError code ("CDERR_INITIALIZATION"); an
// unknown code as its number.
String CommonDialogErrorName(std::uint32_t code);

} // namespace Brintavolex
