#include "this/src/Logger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Brintavolex {

namespace {
// Shows every message the moment it arrives, as an output window does.
class ShowingLogger : public ILogger
{
public:
    using ILogger::Log;
    void Log(const TextPair &message) override { shown.push_back(Locale::Pick(message).ToStdString()); }
    void Log(StringExpr text) override { shown.push_back(String(text).ToStdString()); }
    void Log(const String &text) override { shown.push_back(text.ToStdString()); }
    std::vector<std::string> shown;
};

// Restores the process-wide language after a test.
class LanguageScope
{
public:
    LanguageScope() : _saved(Locale::GetCurrentLanguageSetting()) {}
    ~LanguageScope() { Locale::SetCurrentLanguage(_saved); }

private:
    Locale::EnumLanguage _saved;
};

TextPair Pair(const char *german, const char *english)
{
    return TextPair{String(german), String(english)};
}
} // namespace

TEST(Logger, LanguageDefaultsToEnglishAndFollowsTheSetting)
{
    LanguageScope scope;
    Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
    EXPECT_EQ(Locale::GetCurrentLanguage(), Locale::EnumLanguage::English); // the "C" locale is not German
    EXPECT_EQ(Locale::GetLanguageIndex(), 1u);
    Locale::SetCurrentLanguage(Locale::EnumLanguage::German);
    EXPECT_EQ(Locale::GetLanguageIndex(), 0u);
    EXPECT_EQ(Locale::Pick(Pair("Datei", "File")), String("Datei"));
    Locale::SetCurrentLanguage(Locale::EnumLanguage(0x12345678)); // not a language: treated as Auto
    EXPECT_EQ(Locale::GetLanguageIndex(), 1u);
}

TEST(Logger, LocalLoggerReplaysOldestFirstInTheLanguageShownNow)
{
    LanguageScope scope;
    Locale::SetCurrentLanguage(Locale::EnumLanguage::English);
    LocalLogger local;
    local.Log(Pair("Erste Meldung", "First message"));
    local.Log("plain literal");
    local.Log(String(u"Gr\u00F6\u00DFe"));
    local.Log(Pair("Letzte", "Last"));

    ShowingLogger english;
    local.CopyTo(english);
    EXPECT_EQ(english.shown, (std::vector<std::string>{"First message", "plain literal", "Gr\xF6\xDF" "e", "Last"}));

    // The language changes after the messages were logged: they show in the
    // new one.
    Locale::SetCurrentLanguage(Locale::EnumLanguage::German);
    ShowingLogger german;
    local.CopyTo(german);
    EXPECT_EQ(german.shown, (std::vector<std::string>{"Erste Meldung", "plain literal", "Gr\xF6\xDF" "e", "Letzte"}));
}

TEST(Logger, ReplayKeepsPairsAndAddsNothingWhenEmpty)
{
    LocalLogger empty;
    LocalLogger target;
    target.Log("before");
    empty.CopyTo(target);
    EXPECT_EQ(target.Messages().size(), 1u);

    LocalLogger source;
    source.Log("single");
    source.Log(Pair("zwei", "two"));
    source.CopyTo(target);
    ASSERT_EQ(target.Messages().size(), 3u);
    EXPECT_EQ(target.Messages()[1], Pair("single", "single"));
    EXPECT_EQ(target.Messages()[2], Pair("zwei", "two"));

    // Replaying into itself doubles the messages once, in order.
    source.CopyTo(source);
    ASSERT_EQ(source.Messages().size(), 4u);
    EXPECT_EQ(source.Messages()[3], Pair("zwei", "two"));
}

} // namespace Brintavolex
