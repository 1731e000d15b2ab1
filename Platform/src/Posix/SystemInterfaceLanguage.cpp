#include "Platform/src/SystemInterfaceLanguage.h"

#include <cstdlib>
#include <string_view>

namespace Brintavolex::Locale {

EnumLanguage SystemInterfaceLanguage()
{
    // The first of these that is set decides, as for messages.
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).starts_with("de") ? EnumLanguage::German : EnumLanguage::English;
    }
    return EnumLanguage::English;
}

} // namespace Brintavolex::Locale
