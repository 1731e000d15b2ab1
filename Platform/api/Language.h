#pragma once

#include "Interface/api/SettingEnums.h"
#include "Platform/api/String.h"

#include <array>

namespace Brintavolex {

// A user-visible text in both languages: index 0 German, index 1 English.
using TextPair = std::array<String, 2>;

namespace Locale {

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
