#include "GUI/api/GUI.h"
#include "Platform/api/Video/Software.h"
#include "this/src/ViewerPanel.h"

#include "support/Printers.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace Brintavolex {

namespace {

// Keeps posted work until the test, playing the GUI thread, runs it.
class QueuePoster final : public IGuiThreadPoster {
public:
    void Post(std::function<void()> task) override
    {
        std::lock_guard<std::mutex> guard(_mutex);
        _tasks.push_back(std::move(task));
    }
    // Runs what arrived within a few seconds; false when nothing came.
    bool RunWhenPosted()
    {
        for (int i = 0; i < 500; ++i) {
            std::function<void()> task;
            {
                std::lock_guard<std::mutex> guard(_mutex);
                if (!_tasks.empty()) {
                    task = std::move(_tasks.front());
                    _tasks.pop_front();
                }
            }
            if (task) {
                task();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    std::mutex _mutex;
    std::deque<std::function<void()>> _tasks;
};

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

} // namespace Brintavolex
