#include "Platform/api/Language.h"
#include "Platform/src/SystemInterfaceLanguage.h"

#include <atomic>

namespace Brintavolex::Locale {

namespace {
// Loggers pick texts on worker threads too.
std::atomic<std::uint32_t> g_language{std::uint32_t(EnumLanguage::Auto)};
std::atomic<std::uint32_t> g_systemLanguage{std::uint32_t(EnumLanguage::English)};
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
    return EnumLanguage(g_systemLanguage.load(std::memory_order_relaxed));
}

EnumLanguage LanguageFromLanguageId(std::uint16_t languageId) noexcept
{
    constexpr std::uint16_t kPrimaryMask = 0x3FF, kGerman = 7;
    return (languageId & kPrimaryMask) == kGerman ? EnumLanguage::German : EnumLanguage::English;
}

EnumLanguage DetectSystemLanguage()
{
    const EnumLanguage language = SystemInterfaceLanguage();
    g_systemLanguage.store(std::uint32_t(language), std::memory_order_relaxed);
    return language;
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
