// The shared texts: both languages everywhere, German stored as Windows-1252.
#include "Platform/api/CommandTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Brintavolex {
namespace {

// True when bytes hold a UTF-8 multi-byte sequence: a lead byte followed by
// the continuation bytes it announces.
bool HoldsUtf8Sequence(const std::string &bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const std::size_t follow = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        if (!follow || i + follow >= bytes.size())
            continue;
        bool all = true;
        for (std::size_t k = 1; k <= follow; ++k)
            all = all && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (all)
            return true;
    }
    return false;
}

TEST(CommandTexts, EveryPairHasBothLanguagesAndGermanIsWindows1252)
{
    std::set<std::u16string> english;
    for (const TextPair *pair : Texts::All()) {
        const String &de = (*pair)[0], &en = (*pair)[1];
        ASSERT_FALSE(de.Empty());
        ASSERT_FALSE(en.Empty());
        EXPECT_TRUE(english.insert(en.ToU16String()).second) << en.ToStdString() << " twice";
        EXPECT_EQ(de.GetEncoding(), Encoding::Windows1252);
        EXPECT_FALSE(HoldsUtf8Sequence(std::string(de.Narrow()))) << de.ToStdString();
        EXPECT_FALSE(HoldsUtf8Sequence(std::string(en.Narrow()))) << en.ToStdString();
    }
    // The characters come out as written.
    EXPECT_EQ(Texts::OpenFileEllipsis[0].ToU16String(), u"Datei öffnen...");
    EXPECT_EQ(std::string(Texts::OpenFileEllipsis[0].Narrow()), "Datei \xF6" "ffnen...");
    EXPECT_EQ(Texts::ZoomIn[0].ToU16String(), u"Ansicht vergrößern [+]");
    EXPECT_EQ(Texts::RotateClockwise[1].ToU16String(), u"Rotate view 90° clockwise");
    EXPECT_EQ(Texts::Linear[0], Texts::Linear[1]);
}

TEST(CommandTexts, TheLanguageInForceFollowsTheSettingAndTheSystem)
{
    using Locale::EnumLanguage;
    EXPECT_EQ(Locale::LanguageFromLanguageId(0x0407), EnumLanguage::German);
    EXPECT_EQ(Locale::LanguageFromLanguageId(0x0C07), EnumLanguage::German); // Austria
    EXPECT_EQ(Locale::LanguageFromLanguageId(0x040C), EnumLanguage::English);
    EXPECT_EQ(Locale::LanguageFromLanguageId(0x0409), EnumLanguage::English);
    Locale::SetCurrentLanguage(EnumLanguage::German);
    EXPECT_EQ(Locale::Pick(Texts::ZoomOut).ToStdString(), Texts::ZoomOut[0].ToStdString());
    Locale::SetCurrentLanguage(EnumLanguage::English);
    EXPECT_EQ(Locale::Pick(Texts::ZoomOut).ToStdString(), "Zoom out [-]");
    Locale::SetCurrentLanguage(EnumLanguage::Auto);
}

} // namespace
} // namespace Brintavolex
