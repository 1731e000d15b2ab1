// The settings file: its exact defaults, a tolerant load, saving that never
// loses the previous file.
#include "Platform/api/FileSystem.h"
#include "Platform/api/Language.h"
#include "support/GermanLocale.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/Settings/PlanoscopeSettings.h"
#include "this/src/Settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace Brintavolex {
namespace {

using Mode = Resampling::EnumResamplingMode;
using Platform::Video::RendererTypeEnum;

std::string Entry(const std::string &key, const std::string &value) { return key + "\r\n" + value + "\r\n\r\n"; }

String Folder(const TestSupport::TempFolder &folder) { return TestSupport::PathString(folder.Path()); }

std::string SettingsBytes(const TestSupport::TempFolder &folder)
{
    return TestSupport::ReadWholeFile(folder.File("Brintavolex Viewer.ini"));
}

// Every value away from its default.
void ChangeEverything(PlanoscopeSettings &s)
{
    s.language = Locale::EnumLanguage::German;
    s.renderer = RendererTypeEnum::OpenGL;
    s.backgroundColor = Data::ColorBGRA<float>{0.123456789f, 0.5f, 1.0f, 0.25f};
    s.imageInfo = true;
    s.consoleOutput = true;
    s.windowX0 = -1920;
    s.windowY0 = 12;
    s.windowX1 = 3000;
    s.windowY1 = 2000;
    s.viewer2D.interpolationL100 = Mode::MipMapTrilinear;
    s.viewer2D.ruler = true;
    s.viewer2D.rgbColorInfo = false;
    s.viewer3D.layout = 6;
    s.viewer3D.scrollBars = false;
    s.viewer3D.viewYZ.histogram = true;
    s.viewer3D.view3D.interpolationG100 = Mode::Linear;
    s.enableFileDelete = true;
    s.explorerExport = false;
}

class SettingsFile : public ::testing::Test {
protected:
    ~SettingsFile() override { Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto); }
    TestSupport::TempFolder folder;
};

TEST_F(SettingsFile, DefaultsAreWrittenExactlyAsDocumented)
{
    PlanoscopeSettings settings;
    SaveSettings(settings, Folder(folder));
    // The RAW size tables are the process's own: other tests of this program
    // (one process under Wine) may have added some. They come last.
    std::string saved = SettingsBytes(folder);
    saved.erase(std::min(saved.size(), saved.find("[Codecs]")));
    EXPECT_EQ(saved, TestSupport::ReadWholeFile(TestSupport::TestDataPath("settings/defaults.ini")));

    PlanoscopeSettings fresh;
    const SettingsLoad none = LoadSettings(fresh, Folder(folder) + "-missing", String());
    EXPECT_TRUE(none.file.Empty());
    EXPECT_EQ(fresh.renderer.Get(), RendererTypeEnum::Direct3D9);
    EXPECT_EQ(fresh.language.Get(), Locale::EnumLanguage::Auto);
}

TEST_F(SettingsFile, EveryValueRoundTripsAlsoUnderAGermanLocale)
{
    TestSupport::GermanLocale german;
    PlanoscopeSettings written;
    ChangeEverything(written);
    SaveSettings(written, Folder(folder));
    EXPECT_EQ(SettingsBytes(folder).find("0,"), std::string::npos) << "decimal comma in the file";

    PlanoscopeSettings read;
    const SettingsLoad load = LoadSettings(read, Folder(folder), String());
    EXPECT_EQ(load.failedValues, 0u);
    // Six significant digits are stored.
    EXPECT_EQ(read.backgroundColor.Get().b, 0.123457f);
    written.backgroundColor = read.backgroundColor.Get();
    // Written again, the two give the same text: every value came back.
    const std::string first = SettingsBytes(folder);
    SaveSettings(read, Folder(folder));
    EXPECT_EQ(SettingsBytes(folder), first);
    // The language setting took effect as it was read.
    EXPECT_EQ(Locale::GetCurrentLanguage(), Locale::EnumLanguage::German);
}

TEST_F(SettingsFile, DamagedUnknownAndMissingEntriesSpoilNothingElse)
{
    // LF line ends, a damaged value in the middle, a key of a later version,
    // an unknown enumeration name, and most entries missing.
    const std::string text = "[Language]\nDE\n\n[Renderer]\nVulkan\n\n[WindowX0]\n12x\n\n[WindowY0]\n-7\n\n"
                             "[FutureSetting]\n1\n\n[PlanoscopeSettings][Ruler]\ntrue\n\n"
                             "[ImageView3DSettings][PlanoscopeControlSettingsXZ][ScrollBars]\ntrue\n\n";
    folder.Write("Brintavolex Viewer.ini", text);
    PlanoscopeSettings settings;
    const SettingsLoad load = LoadSettings(settings, Folder(folder), String());
    EXPECT_FALSE(load.file.Empty());
    EXPECT_EQ(settings.language.Get(), Locale::EnumLanguage::German);
    EXPECT_EQ(settings.renderer.Get(), RendererTypeEnum::Direct3D9);
    EXPECT_EQ(settings.windowX0.Get(), 0);
    EXPECT_EQ(settings.windowY0.Get(), -7);
    EXPECT_TRUE(settings.viewer2D.ruler.Get());
    EXPECT_TRUE(settings.viewer3D.viewXZ.scrollBars.Get());
    EXPECT_TRUE(settings.explorerExport.Get());

    // The next save keeps what was read.
    SaveSettings(settings, Folder(folder));
    const std::string saved = SettingsBytes(folder);
    EXPECT_NE(saved.find(Entry("[Language]", "DE")), std::string::npos);
    EXPECT_NE(saved.find(Entry("[WindowY0]", "-7")), std::string::npos);
    EXPECT_NE(saved.find(Entry("[PlanoscopeSettings][Ruler]", "true")), std::string::npos);
    EXPECT_EQ(saved.find("FutureSetting"), std::string::npos);
}

TEST_F(SettingsFile, WithoutACurrentFileTheNewestOlderOneIsRead)
{
    TestSupport::TempFolder older;
    older.Write("Planoscope 2019-05-01", Entry("[WindowX0]", "2019"));
    older.Write("Planoscope 2020-01-31", Entry("[WindowX0]", "2020"));
    older.Write("Planoscope 2021-13-99.bak", Entry("[WindowX0]", "1"));
    older.Write("Planoscope latest-one", Entry("[WindowX0]", "2"));
    PlanoscopeSettings settings;
    const SettingsLoad load = LoadSettings(settings, Folder(folder), Folder(older));
    EXPECT_EQ(settings.windowX0.Get(), 2020);
    EXPECT_NE(load.file.ToStdString().find("2020-01-31"), std::string::npos);

    // A current file wins over every older one.
    folder.Write("Brintavolex Viewer.ini", Entry("[WindowX0]", "5"));
    PlanoscopeSettings current;
    LoadSettings(current, Folder(folder), Folder(older));
    EXPECT_EQ(current.windowX0.Get(), 5);
}

TEST_F(SettingsFile, TheStoreNeitherSavesWhileReadingNorThrowsWhenSavingFails)
{
    folder.Write("Brintavolex Viewer.ini", Entry("[BackgroundColor]", "0,0,1,1"));
    PlanoscopeSettings settings;
    SettingsStore store(settings, Folder(folder), String());
    int saves = 0;
    settings.backgroundColor.Callback().ResetCallable([&store, &saves](const Data::ColorBGRA<float> &) {
        ++saves;
        store.Save();
    });
    store.Load();
    EXPECT_EQ(saves, 1);
    // Saving while reading would have replaced the file with the defaults
    // of the values not read yet.
    EXPECT_EQ(SettingsBytes(folder), Entry("[BackgroundColor]", "0,0,1,1"));

    // A settings folder that is a file: the save fails, the values stay.
    const std::string blocker = folder.Write("not-a-folder", "x");
    SettingsStore broken(settings, TestSupport::PathString(blocker), String());
    settings.windowX0 = 77;
    EXPECT_FALSE(broken.Save());
    EXPECT_FALSE(broken.Save());
    EXPECT_EQ(settings.windowX0.Get(), 77);
    EXPECT_TRUE(store.Save());
    EXPECT_NE(SettingsBytes(folder).find(Entry("[WindowX0]", "77")), std::string::npos);
}

} // namespace
} // namespace Brintavolex
