#include "Platform/api/CodecFactory.h"
#include "Platform/api/NameEndings.h"

#include <gtest/gtest.h>

namespace Brintavolex {

TEST(NameEndings, EmptyPatternsAcceptNothingAndCaseNeverMatters)
{
    // A trailing ";", doubled ones, a lone "*" and blanks: none may turn
    // into an ending that every name has.
    for (const char *patterns : {"", ";", "*", " * ", "*.png;", ";;*.png", "*.png; ;*"}) {
        SCOPED_TRACE(patterns);
        const NameEndings endings(patterns);
        EXPECT_FALSE(endings.Matches("notes.txt"));
        EXPECT_FALSE(endings.Matches(""));
    }
    const NameEndings endings(u"*.png; *.JPG ;*.\u00C4bc");
    EXPECT_TRUE(endings.Matches("photo.jpg"));
    EXPECT_TRUE(endings.Matches(u"PHOTO.Png"));
    EXPECT_TRUE(endings.Matches(u"x.\u00E4BC"));
    EXPECT_FALSE(endings.Matches("jpg"));
    EXPECT_FALSE(endings.Matches("photo.jpg.bak"));
    // Patterns written in capitals claim the names as well.
    EXPECT_TRUE(MatchesExtension("photo.jpg", "*.JPG"));
}

} // namespace Brintavolex
