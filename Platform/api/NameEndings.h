#pragma once

#include "Root/api/String.h"

#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex {

// Endings that file names are matched against, without regard to case (the
// program's own table, so the same on every system): the extensions of the
// decoders, and single names.
class NameEndings {
public:
    NameEndings() = default;
    explicit NameEndings(StringExpr patterns) { AddPatterns(patterns); }

    // "*.bmp;*.dib": patterns separated by semicolons, each without its
    // leading asterisk and the spaces around it. An empty pattern (a trailing
    // ";", an empty plug-in text, a lone "*") is skipped: as an ending it
    // would accept every name.
    void AddPatterns(StringExpr patterns);
    // One ending as it is (".raw", "/photo.xyz"); an empty one is skipped.
    void AddEnding(StringExpr ending);

    bool Matches(StringExpr name) const;
    bool MatchesUTF16(std::u16string_view name) const noexcept;
    bool Empty() const noexcept { return _endings.empty(); }

private:
    std::vector<std::u16string> _endings; // lower case
};

} // namespace Brintavolex
