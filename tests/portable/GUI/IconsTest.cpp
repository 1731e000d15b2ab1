#include "GUI/api/Icons.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

// Every bitmap the commands name, written out by hand.
const char *const commandIcons[] = {
    "IconAbout.bmp", "IconAuto.bmp", "IconBrightness.bmp", "IconBrightnessContrast.bmp", "IconConfig.bmp",
    "IconConsoleOutput.bmp", "IconConsoleOutputActive.bmp", "IconContrast.bmp", "IconExplorerExport.bmp",
    "IconExplorerExportActive.bmp", "IconFileDelete.bmp", "IconFullscreen.bmp", "IconHistogram.bmp",
    "IconHistogramAbs.bmp", "IconHistogramLin.bmp", "IconHistogramLog.bmp", "IconHistogramRel.bmp",
    "IconImageNext.bmp", "IconImagePrev.bmp", "IconInfo.bmp", "IconInfoActive.bmp", "IconInsert.bmp",
    "IconOpen.bmp", "IconPlay.bmp", "IconPlayActive.bmp", "IconPrint.bmp", "IconRGB.bmp", "IconRotateL.bmp",
    "IconRotateR.bmp", "IconRuler.bmp", "IconSave.bmp", "IconScreenVideo.bmp", "IconScreenVideoActive.bmp",
    "IconScrollBars.bmp", "IconZoomFit.bmp", "IconZoomNeg.bmp", "IconZoomPos.bmp", "RedCyan.bmp", "RedCyanActive.bmp",
    "ViewDefault.bmp", "XY.bmp", "XZ.bmp", "YZ.bmp"};

// Two-state buttons: their on state has an "Active" twin.
const char *const twoStateIcons[] = {
    "IconConsoleOutput", "IconExplorerExport", "IconInfo", "IconPlay", "IconScreenVideo", "IconRuler",
    "IconScrollBars", "IconHistogram", "IconRGB", "IconBrightnessContrast", "IconHistogramLin",
    "IconHistogramLog", "IconHistogramRel", "IconHistogramAbs", "RedCyan"};

std::vector<std::uint8_t> Bytes(const IconPixels &icon)
{
    return {icon.bgra, icon.bgra + std::size_t(icon.width) * std::size_t(icon.height) * 4};
}

std::uint8_t Alpha(const IconPixels &icon, std::int32_t x, std::int32_t y)
{
    return icon.bgra[(std::size_t(y) * std::size_t(icon.width) + std::size_t(x)) * 4 + 3];
}

std::vector<String> AllNames()
{
    std::vector<String> names = GetIconNames();
    for (const char *name : commandIcons)
        names.emplace_back(name);
    return names;
}

TEST(Icons, LookupTakesTheNearestScaleIgnoresCaseAndNamesAnUnknownIcon)
{
    EXPECT_EQ(GetIcon("IconOpen.bmp", 0.5).scale, 1);
    EXPECT_EQ(GetIcon("IconOpen.bmp", 1.25).scale, 1);
    EXPECT_EQ(GetIcon("IconOpen.bmp", 1.75).scale, 2);
    EXPECT_EQ(GetIcon("IconOpen.bmp", 3.0).scale, 2);
    EXPECT_EQ(GetIcon(u"iconopen.BMP", 1).bgra, GetIcon("IconOpen.bmp", 1).bgra);
    EXPECT_EQ(Thrown([] { GetIcon("IconOpen", 1); }), "GetIcon: unknown icon \"IconOpen\"");
    EXPECT_EQ(Thrown([] { GetIcon(u"IconMissing.bmp", 2); }), "GetIcon: unknown icon \"IconMissing.bmp\"");
    EXPECT_THROW(GetIcon("", 1), Exception);
    const std::vector<String> listed = GetIconNames();
    for (const char *name : commandIcons)
        EXPECT_NE(std::find(listed.begin(), listed.end(), String(name)), listed.end()) << name;
}

// Both scales of every named icon: light lines with smooth edges, something
// drawn, transparent around it, partly covered edge pixels that keep their
// colour (straight alpha).
TEST(Icons, EveryIconIsAnAntialiasedLightDrawingOnTransparencyAtItsSize)
{
    for (const String &name : AllNames()) {
        for (std::int32_t scale : {1, 2}) {
            SCOPED_TRACE(name.ToStdString() + " at " + std::to_string(scale));
            const IconPixels icon = GetIcon(name, scale);
            ASSERT_EQ(icon.width, IconSizeAtScale1 * scale);
            ASSERT_EQ(icon.height, IconSizeAtScale1 * scale);
            std::size_t opaque = 0, clear = 0, partial = 0, darkEdge = 0;
            std::uint32_t brightest = 0;
            for (std::size_t i = 0; i < std::size_t(icon.width * icon.height); ++i) {
                const std::uint8_t *p = icon.bgra + i * 4;
                const std::uint32_t light = std::max({p[0], p[1], p[2]});
                if (p[3] == 0) {
                    ++clear;
                    EXPECT_EQ(light, 0u);
                    continue;
                }
                brightest = std::max(brightest, light);
                opaque += p[3] == 255;
                partial += p[3] < 255;
                darkEdge += p[3] < 128 && light < 0x80;
            }
            const std::size_t area = std::size_t(icon.width * icon.height);
            EXPECT_GT(opaque, area / 30);
            EXPECT_GT(clear, area / 3);
            EXPECT_GT(partial, area / 50);
            EXPECT_EQ(darkEdge, 0u);
            EXPECT_GE(brightest, 0xC0u);
        }
    }
}

// The large icon is drawn anew, not blown up, yet shows the same picture:
// boxed down by two its coverage stays closer to the small one's than that of
// any other icon (the nearest pair, the two magnifiers, differs by a fifth).
TEST(Icons, LargeIconsAreRedrawnPicturesOfTheSmallOnes)
{
    for (const String &name : AllNames()) {
        SCOPED_TRACE(name.ToStdString());
        const IconPixels small = GetIcon(name, 1), large = GetIcon(name, 2);
        std::size_t notDoubled = 0;
        std::int64_t difference = 0, coverage = 0;
        for (std::int32_t y = 0; y < small.height; ++y)
            for (std::int32_t x = 0; x < small.width; ++x) {
                const std::int32_t a = Alpha(small, x, y);
                std::int32_t boxed = 0;
                for (std::int32_t q = 0; q < 4; ++q) {
                    const std::int32_t b = Alpha(large, 2 * x + q % 2, 2 * y + q / 2);
                    notDoubled += std::abs(a - b) > 16;
                    boxed += b;
                }
                difference += std::abs(4 * a - boxed);
                coverage += 4 * a;
            }
        EXPECT_GT(notDoubled, 100u);
        EXPECT_LT(difference * 100, coverage * 18);
    }
}

TEST(Icons, NoTwoIconsShareAPictureAndActiveTwinsDiffer)
{
    const std::vector<String> names = GetIconNames();
    std::set<std::vector<std::uint8_t>> pictures;
    for (const String &name : names)
        EXPECT_TRUE(pictures.insert(Bytes(GetIcon(name, 1))).second) << name.ToStdString();
    for (const char *base : twoStateIcons)
        for (std::int32_t scale : {1, 2}) {
            const IconPixels normal = GetIcon(String(base) + ".bmp", scale);
            const IconPixels active = GetIcon(String(base) + "Active.bmp", scale);
            std::size_t recoloured = 0;
            for (std::size_t i = 0; i < std::size_t(normal.width * normal.height) * 4; i += 4)
                recoloured += normal.bgra[i + 3] == 255 && normal.bgra[i + 2] > active.bgra[i + 2] + 60;
            // Same outline in the accent colour: less red on a good share of the lines.
            EXPECT_GT(recoloured, std::size_t(normal.width * scale)) << base << " at " << scale;
        }
}

} // namespace
} // namespace Brintavolex::GUI
