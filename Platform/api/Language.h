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
// Auto (the initial value) follows the system's interface language as
// DetectSystemLanguage found it (English until then). The C and C++ locales
// are never switched for it: number texts must not change with the language.
void SetCurrentLanguage(EnumLanguage language) noexcept;
EnumLanguage GetCurrentLanguageSetting() noexcept;
// The language in force (never Auto).
EnumLanguage GetCurrentLanguage();
// The language of the system's user interface, German or English (every
// other language shows English): on Windows the primary language of the
// user's interface language, else of the system's language id; elsewhere
// LC_ALL, LC_MESSAGES or LANG. Remembered for Auto. Called once as the GUI
// starts.
EnumLanguage DetectSystemLanguage();
// Primary language (the low 10 bits of a Windows language id) 7 is German,
// everything else English.
EnumLanguage LanguageFromLanguageId(std::uint16_t languageId) noexcept;
// Index into a text pair of the language in force: 0 German, 1 English.
unsigned GetLanguageIndex();
// The text of the language in force, picked at the moment it is shown.
const String &Pick(const TextPair &texts);

} // namespace Locale
} // namespace Brintavolex
