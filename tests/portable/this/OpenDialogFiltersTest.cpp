// The open dialog's file types: what a user can pick from, in both
// languages, for the application's decoders and a RAW extension.
#include "RAW/api/RAWDecoderFactory.h"
#include "this/src/Codecs.h"
#include "this/src/OpenDialogFilters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace Brintavolex {
namespace {

std::vector<std::string> Split(const std::string &patterns)
{
    std::vector<std::string> parts;
    std::stringstream stream(patterns);
    for (std::string part; std::getline(stream, part, ';');)
        parts.push_back(part);
    return parts;
}

TEST(OpenDialogFilters, AllFilesComeFirstThenEveryDecoderInEachLanguageWithoutEmptyEntries)
{
    std::vector<SharedPtr<CodecFactory>> factories = BuiltInFactories();
    factories.push_back(MakeShared<RAWDecoderFactory>("r16"));
    // The fixed-geometry helpers have no filter text and must not show.
    factories.push_back(MakeShared<RAW2DDecoderFactory>(RAWEntry{}));

    // The names a user of each format expects to find, independent of the
    // decoders' own lists.
    const char *const expected[] = {"*.bmp", "*.dib", "*.gif", "*.ico", "*.cur", "*.jpg", "*.jpeg",
                                    "*.png", "*.tif", "*.tiff", "*.r16"};
    const char *const allFiles[] = {"Alle Dateien (*.*)", "All files (*.*)"};
    const char *const pngText[] = {"PNG-Dateien (*.png)", "PNG files (*.png)"};
    for (unsigned language : {0u, 1u}) {
        SCOPED_TRACE(language);
        const std::vector<FileTypeFilter> filters = OpenDialogFilters(factories, language);
        ASSERT_EQ(filters.size(), BuiltInFactories().size() + 2);
        EXPECT_EQ(filters[0].description.ToStdString(), allFiles[language]);
        EXPECT_EQ(filters[0].patterns.ToStdString(), "*.*");
        std::vector<std::string> patterns;
        bool pngShown = false;
        for (const FileTypeFilter &filter : filters) {
            EXPECT_FALSE(filter.description.Empty());
            for (const std::string &pattern : Split(filter.patterns.ToStdString())) {
                EXPECT_EQ(pattern.rfind("*.", 0), 0u) << pattern;
                patterns.push_back(pattern);
            }
            pngShown |= filter.description.ToStdString() == pngText[language] &&
                        filter.patterns.ToStdString() == "*.png";
        }
        EXPECT_TRUE(pngShown);
        for (const char *pattern : expected)
            EXPECT_NE(std::find(patterns.begin(), patterns.end(), pattern), patterns.end()) << pattern;
        EXPECT_EQ(filters.back().description.ToStdString(),
                  language == 0 ? "r16-Dateien (*.r16)" : "r16 files (*.r16)");
    }
}

TEST(OpenDialogFilters, TheRegistryListIsTheApplicationsDecoders)
{
    UseApplicationCodecs();
    const std::vector<FileTypeFilter> filters = OpenDialogFilters(1);
    ASSERT_GE(filters.size(), BuiltInFactories().size() + 1);
    EXPECT_EQ(filters[0].description.ToStdString(), "All files (*.*)");
    EXPECT_EQ(filters[1].patterns.ToStdString(), BuiltInFactories()[0]->GetExtensions().ToStdString());
}

} // namespace
} // namespace Brintavolex
