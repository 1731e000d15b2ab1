#include "GUI/api/GUI.h"
#include "Platform/api/Video/Software.h"
#include "this/src/ViewerPanel.h"

#include "Platform/api/String.h"
#include "support/OrientedPicture.h"
#include "support/Printers.h"
#include "support/TempFolder.h"
#include "support/QueuePoster.h"
#include "support/TestData.h"

#include <gtest/gtest.h>


namespace Brintavolex {

namespace {

using TestSupport::QueuePoster;

struct Window {
    Window()
    {
        gui.SetContext(Platform::Video::Software::SoftwareContext::Create());
        panel = MakeShared<ViewerPanel>();
        panel->SetRect(0, 0, 640, 480);
        gui.SetRootPanel(panel);
        gui.SetActivePanel(panel.Get());
    }
    ~Window() { gui.DeleteContextObjects(); }
    GUI::GUI gui;
    SharedPtr<ViewerPanel> panel;
};

} // namespace

TEST(ViewerPanel, OpensAFileInTheBackgroundAndShowsItAtHundredPercent)
{
    Window window;
    auto poster = MakeShared<QueuePoster>();
    window.panel->OpenFile(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"), poster);
    EXPECT_EQ(window.panel->TitleText(), String("Brintavolex Viewer - rgb24.bmp - loading"));
    ASSERT_TRUE(poster->RunWhenPosted());
    EXPECT_EQ(window.panel->TitleText(), String("Brintavolex Viewer - rgb24.bmp - 100.0000 %"));
    ASSERT_TRUE(window.panel->View().GetImage());
    EXPECT_EQ(window.panel->View().GetImage()->GetWidth(), 127u);
    EXPECT_TRUE(window.gui.PaintPanels());
    // "+" reaches the view through the panel and the title follows the zoom.
    EXPECT_TRUE(window.gui.OnKeyDown(0xBB, 0));
    EXPECT_EQ(window.panel->TitleText(), String("Brintavolex Viewer - rgb24.bmp - 109.0508 %"));
}

TEST(ViewerPanel, AFileThatDoesNotOpenSaysWhy)
{
    Window window;
    auto poster = MakeShared<QueuePoster>();
    window.panel->OpenFile(TestSupport::CachePath("bmpsuite/b/badheadersize.bmp"), poster);
    EXPECT_EQ(window.panel->TitleText(),
              String("Brintavolex Viewer - badheadersize.bmp - BMPDecoder: invalid header size"));
    EXPECT_FALSE(window.panel->IsLoading());
    EXPECT_TRUE(window.gui.PaintPanels());
}

TEST(ViewerPanel, LargePicturesStartFitted)
{
    Window window;
    auto image = MakeShared<Data::Image2D<Data::ColorBGRA<std::uint8_t>>>();
    image->Allocate(4000, 1000);
    Data::clear(*image, 128);
    window.panel->ShowImage(image, "big");
    const GUI::Rect view = window.panel->View().GetRect();
    EXPECT_DOUBLE_EQ(window.panel->View().GetZoom(), 4000.0 / view.Width());
    // And stay fitted when the window changes size.
    window.panel->SetRect(0, 0, 1000, 480);
    EXPECT_EQ(window.panel->View().GetRect().Width(), 1000);
    EXPECT_DOUBLE_EQ(window.panel->View().GetZoom(), 4.0);
}

// The decoder's orientation reaches the view: a photo stored 250 x 100, to
// be turned clockwise, stands 100 x 250, too high for the window.
TEST(ViewerPanel, ShowsAPhotoUprightAndFitsItsUprightSize)
{
    TestSupport::TempFolder folder;
    Window window;
    window.panel->SetRect(0, 0, 260, 180);
    auto poster = MakeShared<QueuePoster>();
    window.panel->OpenFile(FromUTF8(folder.Write("photo.exo", TestSupport::OrientedPictureFile(6, 250, 100))), poster);
    ASSERT_TRUE(poster->RunWhenPosted());
    ImageView::Planoscope &view = window.panel->View();
    EXPECT_TRUE(view.IsFitting());
    EXPECT_DOUBLE_EQ(view.GetZoom(), 250.0 / view.GetRect().Height());
    view.SetZoom(1);
    EXPECT_TRUE(window.gui.PaintPanels());
    // Stored row 0 on the right, from column 0 at the top: green 0, blue the
    // upright row.
    const auto r = view.ImageRectangleOnScreen();
    const std::int32_t y = (view.GetRect().y0 + view.GetRect().y1) / 2;
    const auto lock = window.panel->GetRenderer()->LockBackBuffer();
    const std::uint8_t *right = lock.ReadBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(r.right - 1) * 4;
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(right[0], y - r.top);
    EXPECT_EQ(right[1], 0);
}

} // namespace Brintavolex
