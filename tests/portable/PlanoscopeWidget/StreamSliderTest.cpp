// The stream slider on the headless host: which controls are enabled, what
// the index box accepts, and playback on the host's virtual clock.
#include "PlanoscopeWidget/api/VerticalStreamSliderControl.h"
#include "Root/api/Exception.h"
#include "support/HeadlessDesk.h"

#include <gtest/gtest.h>

#include <vector>

namespace Brintavolex {
namespace {

struct Host : TestSupport::HeadlessDesk<> {
    Host()
    {
        stream.SetRect(0, 30, 20, 400);
        root->Add(stream);
        Show(GUI::Rect{100, 50, 500, 450});
        stream.OnIndexChanged().ResetCallable(
            [this](VerticalStreamSliderControl &, std::uint64_t index) { shown.push_back(index); });
    }
    ~Host()
    {
        root->Remove(stream);
        gui.reset();
    }
    // Lets the virtual clock run and serves what is due.
    void Wait(std::uint64_t milliseconds)
    {
        platform->Advance(milliseconds);
        Pump();
    }
    VerticalStreamSliderControl stream;
    std::vector<std::uint64_t> shown;
};

TEST(StreamSlider, EnabledStatesFollowIndexAndCount)
{
    Host h;
    h.stream.SetIndexAndCount(0, 1);
    EXPECT_FALSE(h.stream.Children().front()->IsEnabled()); // the slider
    h.stream.SetIndexAndCount(0, 1, true);
    EXPECT_TRUE(h.stream.Children().front()->IsEnabled());

    h.stream.SetIndexAndCount(4, 5);
    EXPECT_EQ(h.stream.GetIndex(), 4u);
    // A count of 0 changes nothing.
    EXPECT_THROW(h.stream.SetIndexAndCount(0, 0), Exception);
    EXPECT_EQ(h.stream.GetCount(), 5u);
    EXPECT_EQ(h.stream.GetIndex(), 4u);
    // An index beyond the count shows the last image.
    h.stream.SetIndexAndCount(9, 3);
    EXPECT_EQ(h.stream.GetIndex(), 2u);
    EXPECT_TRUE(h.shown.empty()) << "setting is no user's change";
}

TEST(StreamSlider, PlaybackShowsEachFrameForItsOwnDelay)
{
    Host h;
    // Stored delays: 0 shows as 100 ms, as browsers do.
    const std::vector<std::uint32_t> delays{300, 0, 50};
    h.stream.SetIndexAndCount(0, 3);
    h.stream.EnablePlayback([&](std::uint64_t index) { return delays.at(index); });
    h.stream.Play();
    EXPECT_TRUE(h.stream.IsPlaying());
    h.Wait(299);
    EXPECT_TRUE(h.shown.empty());
    h.Wait(1);
    EXPECT_EQ(h.shown, (std::vector<std::uint64_t>{1}));
    h.Wait(100);
    EXPECT_EQ(h.shown, (std::vector<std::uint64_t>{1, 2}));
    h.Wait(50);
    EXPECT_EQ(h.shown, (std::vector<std::uint64_t>{1, 2, 0}));
    h.stream.Pause();
    h.Wait(1000);
    EXPECT_EQ(h.shown.size(), 3u);
    EXPECT_EQ(h.gui->TimerCount(), 0u);
    // A single image never plays.
    h.stream.SetIndexAndCount(0, 1);
    h.stream.Play();
    EXPECT_FALSE(h.stream.IsPlaying());
}

} // namespace
} // namespace Brintavolex
