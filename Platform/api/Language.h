#pragma once

#include "Root/api/String.h"

#include <array>
#include <cstdint>

namespace Brintavolex {

// A user-visible text in both languages: index 0 German, index 1 English.
using TextPair = std::array<String, 2>;

namespace Locale {

// Upper 16 bits: the two-letter code in ASCII; lowest byte: the index into a
// text pair (0 German, 1 English).
enum class EnumLanguage : std::uint32_t {
    Auto = 0,
    German = 0x44450000,
    English = 0x454E0001,
};

// The process-wide user-interface language. Set by the "Language" setting;
// Auto (the initial value) follows the process's global locale: German when
// its name begins with "German", otherwise English.
void SetCurrentLanguage(EnumLanguage language) noexcept;
EnumLanguage GetCurrentLanguageSetting() noexcept;
// The language in force (never Auto).
EnumLanguage GetCurrentLanguage();
// Index into a text pair of the language in force: 0 German, 1 English.
unsigned GetLanguageIndex();
// The text of the language in force, picked at the moment it is shown.
const String &Pick(const TextPair &texts);

} // namespace Locale
} // namespace Brintavolex
