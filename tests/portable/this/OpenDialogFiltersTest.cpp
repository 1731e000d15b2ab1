// The open dialog's file types, in both languages, for the application's
// decoders and a RAW extension.
#include "RAW/api/RAWDecoderFactory.h"
#include "this/src/Codecs.h"
#include "this/src/OpenDialogFilters.h"

#include <gtest/gtest.h>

#include <string>

namespace Brintavolex {
namespace {

TEST(OpenDialogFilters, AllFilesComeFirstThenEveryDecoderInEachLanguageWithoutEmptyEntries)
{
    std::vector<SharedPtr<CodecFactory>> factories = BuiltInFactories();
    factories.push_back(MakeShared<RAWDecoderFactory>("r16"));
    // The fixed-geometry helpers have no filter text and must not show.
    factories.push_back(MakeShared<RAW2DDecoderFactory>(RAWEntry{}));
    // What a user of each format looks for, independent of the decoders' lists.
    const char *const expected[] = {"bmp", "dib", "gif", "ico", "cur", "jpg", "jpeg", "png", "tif", "tiff", "r16"};
    const char *const allFiles[] = {"Alle Dateien (*.*)", "All files (*.*)"};
    for (unsigned language : {0u, 1u}) {
        const std::vector<FileTypeFilter> filters = OpenDialogFilters(factories, language);
        ASSERT_EQ(filters.size(), BuiltInFactories().size() + 2);
        EXPECT_EQ(filters[0].description.ToStdString(), allFiles[language]);
        EXPECT_EQ(filters[0].patterns.ToStdString(), "*.*");
        std::string patterns = ";";
        for (const FileTypeFilter &filter : filters) {
            EXPECT_FALSE(filter.description.Empty());
            patterns += filter.patterns.ToStdString() + ";";
        }
        for (const char *pattern : expected)
            EXPECT_NE(patterns.find(std::string(";*.") + pattern + ";"), std::string::npos) << pattern << " in " << patterns;
    }
    UseApplicationCodecs();
    EXPECT_EQ(OpenDialogFilters(1)[1].patterns.ToStdString(), BuiltInFactories()[0]->GetExtensions().ToStdString());
}

} // namespace
} // namespace Brintavolex
