#include "Platform/api/NameEndings.h"

#include "Platform/api/String.h"

namespace Brintavolex {

void NameEndings::AddPatterns(StringExpr patterns)
{
    const std::u16string list = String(patterns).ToU16String();
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(u';', start);
        if (end == std::u16string::npos)
            end = list.size();
        std::u16string_view pattern(list.data() + start, end - start);
        while (!pattern.empty() && pattern.front() == u' ')
            pattern.remove_prefix(1);
        while (!pattern.empty() && pattern.back() == u' ')
            pattern.remove_suffix(1);
        if (!pattern.empty() && pattern.front() == u'*')
            pattern.remove_prefix(1);
        AddEnding(StringExpr(pattern));
        start = end + 1;
    }
}

void NameEndings::AddEnding(StringExpr ending)
{
    std::u16string lower = String(ending).ToU16String();
    if (lower.empty())
        return;
    for (char16_t &unit : lower)
        unit = ToLowerUTF16(unit);
    _endings.push_back(std::move(lower));
}

bool NameEndings::Matches(StringExpr name) const
{
    const std::u16string wide = String(name).ToU16String();
    return MatchesUTF16(wide);
}

bool NameEndings::MatchesUTF16(std::u16string_view name) const noexcept
{
    for (const std::u16string &ending : _endings) {
        if (ending.size() > name.size())
            continue;
        const std::u16string_view tail = name.substr(name.size() - ending.size());
        bool same = true;
        for (std::size_t i = 0; same && i < tail.size(); ++i)
            same = ToLowerUTF16(tail[i]) == ending[i];
        if (same)
            return true;
    }
    return false;
}

} // namespace Brintavolex
