#include "Platform/api/Language.h"

#include <atomic>
#include <locale>
#include <string>

namespace Brintavolex::Locale {

namespace {
// Loggers pick texts on worker threads too.
std::atomic<std::uint32_t> g_language{std::uint32_t(EnumLanguage::Auto)};
} // namespace

void SetCurrentLanguage(EnumLanguage language) noexcept
{
    g_language.store(std::uint32_t(language), std::memory_order_relaxed);
}

EnumLanguage GetCurrentLanguageSetting() noexcept
{
    return EnumLanguage(g_language.load(std::memory_order_relaxed));
}

EnumLanguage GetCurrentLanguage()
{
    const EnumLanguage language = GetCurrentLanguageSetting();
    if (language == EnumLanguage::German || language == EnumLanguage::English)
        return language;
    return std::locale().name().starts_with("German") ? EnumLanguage::German : EnumLanguage::English;
}

unsigned GetLanguageIndex()
{
    return std::uint32_t(GetCurrentLanguage()) & 0xFF;
}

const String &Pick(const TextPair &texts)
{
    return texts[GetLanguageIndex()];
}

} // namespace Brintavolex::Locale
