// The application in the viewer's window on the headless host: a folder of
// mixed files walked with the keys, the slideshow on the virtual clock,
// deleting and printing through a recording shell, fullscreen, and the keys
// whose condition fails.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "Platform/api/CommandTexts.h"
#include "Platform/api/String.h"
#include "support/OrientedPicture.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/Codecs.h"
#include "this/src/FileList/FileLists.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <thread>

namespace Brintavolex {
namespace {

namespace M = GUI::WindowMessages;
constexpr std::uint32_t kBackspace = 0x08, kEnter = 0x0D, kShift = 0x10, kControl = 0x11, kSpace = 0x20, kUp = 0x26,
                        kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E;

class RecordingShell final : public IShellCommands {
public:
    DeleteResult DeleteToRecycleBin(GUI::WindowHandle, const String &path, bool silent) override
    {
        deleted.push_back(path);
        EXPECT_FALSE(silent) << "the user is asked";
        // As the recycle bin does: moved away, also while the viewer reads it.
        if (outcome == DeleteOutcome::Deleted) {
            const std::filesystem::path file(path.ToU16String());
            std::filesystem::create_directory(file.parent_path() / "trash");
            std::filesystem::rename(file, file.parent_path() / "trash" / file.filename());
        }
        return DeleteResult{outcome, String("the disk said no")};
    }
    bool Execute(GUI::WindowHandle, StringExpr verb, const String &path) override
    {
        executed.push_back(String(verb) + " " + path);
        return true;
    }
    void ShowMessage(GUI::WindowHandle, const String &) override {}
    DeleteOutcome outcome = DeleteOutcome::Deleted;
    std::vector<String> deleted, executed;
};

// The folder: one file of each format the viewer decodes, one that claims
// to be a PNG but is not, one that vanishes after the list is read, and a
// text file no decoder lists.
struct MixedFolder {
    MixedFolder()
    {
        UseApplicationCodecs();
        Copy(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"), "1-rgb24.bmp");
        Copy(TestSupport::CachePath("pngsuite/basn2c08.png"), "2-basn2c08.png");
        Copy(TestSupport::GeneratedPath("stream/three-frames.gif"), "3-frames.gif");
        Copy(TestSupport::GeneratedPath("tiffs/exif-be.tif"), "4-exif.tif");
        Copy(TestSupport::GeneratedPath("jpeg/exif-base.jpg"), "5-exif.jpg");
        folder.Write("6-broken.png", "this is no picture");
        Copy(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"), "7-vanishing.bmp");
        folder.Write("notes.txt", "not listed");
    }
    void Copy(const String &from, const std::string &name) { folder.Write(name, TestSupport::ReadBytes(from)); }
    String Path(const std::string &name) const { return TestSupport::PathString(folder.File(name)); }
    // The names in the order the file system lists them (the list is not
    // sorted).
    std::vector<std::string> Order() const
    {
        const FileListPosition listed = ListForChosenFile(Path("notes.txt"));
        std::vector<std::string> names;
        for (std::uint64_t i = 0; i < listed.list->GetCount(); ++i) {
            const std::string path = listed.list->GetFileFullPath(i).ToStdString();
            if (path.find("notes.txt") == std::string::npos)
                names.push_back(path.substr(path.find_last_of("/\\") + 1));
        }
        return names;
    }
    // The name k steps after name in list order, past the vanished file.
    std::string After(const std::string &name, int k, const std::string &skipped = "") const
    {
        std::vector<std::string> names = Order();
        std::erase(names, skipped);
        const auto at = std::find(names.begin(), names.end(), name) - names.begin();
        const int n = int(names.size());
        return names[std::size_t(((at + k) % n + n) % n)];
    }
    TestSupport::TempFolder folder;
};

struct AppWindow {
    AppWindow() : platform(MakeShared<GUI::HeadlessWindowPlatform>()), shell(MakeShared<RecordingShell>()),
                  viewer(platform, TestSupport::PathString(settings.Path()), nullptr, shell)
    {
        viewer.Open();
    }
    PlanoscopeApplication &App() { return *viewer.RootPanel(); }
    GUI::WindowHandle Window() { return viewer.Host().WindowOf(App()); }
    // Serves the GUI thread (the decodes are real threads) until nothing loads.
    void Settle()
    {
        for (int i = 0; i < 2000; ++i) {
            viewer.Host().ProcessPendingMessages();
            if (!App().IsLoading())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "still loading";
    }
    void Key(std::uint32_t key, std::initializer_list<std::uint32_t> held = {})
    {
        for (std::uint32_t h : held)
            platform->SetKeyHeld(h, true);
        platform->InjectKey(Window(), M::KeyDown, key);
        platform->InjectKey(Window(), M::KeyUp, key);
        viewer.Host().ProcessPendingMessages();
        for (std::uint32_t h : held)
            platform->SetKeyHeld(h, false);
        Settle();
    }
    void Wait(std::uint64_t milliseconds)
    {
        platform->Advance(milliseconds);
        platform->Post(Window(), 0, 0, 0);
        Settle();
    }
    std::string Title() { return App().TitleText().ToStdString(); }

    TestSupport::TempFolder settings;
    SharedPtr<GUI::HeadlessWindowPlatform> platform;
    SharedPtr<RecordingShell> shell;
    PlanoscopeMainFrame viewer;
};

TEST(PlanoscopeApplication, DownWalksTheFolderInOrderAndWrapsUpReturns)
{
    MixedFolder files;
    AppWindow w;
    const std::vector<std::string> order = files.Order();
    ASSERT_EQ(order.size(), 7u);
    w.viewer.OpenFile(files.Path(order[0]));
    w.Settle();
    EXPECT_EQ(w.Title(), order[0] + " - Brintavolex Viewer");
    ASSERT_TRUE(w.App().FileSlider().IsVisible());
    EXPECT_EQ(w.App().FileSlider().GetCount(), 7u);
    // The list was read with the vanishing file in it; stepping skips it.
    if (order[0] != "7-vanishing.bmp")
        std::filesystem::remove(files.folder.File("7-vanishing.bmp"));

    std::string current = order[0];
    SharedPtr<Data::Image2DBase> shownBefore;
    for (int step = 1; step <= 6; ++step) {
        shownBefore = w.App().View().GetImage();
        w.Key(kDown);
        const std::string expected = files.After(current, 1, order[0] == "7-vanishing.bmp" ? "" : "7-vanishing.bmp");
        SCOPED_TRACE(expected);
        EXPECT_EQ(w.Title(), expected + " - Brintavolex Viewer");
        EXPECT_EQ(order[w.App().FileSlider().GetIndex()], expected);
        if (expected == "6-broken.png") {
            // Said in the notice line; the picture before stays.
            EXPECT_TRUE(w.App().IsNoticeShown());
            EXPECT_EQ(w.App().View().GetImage(), shownBefore);
        } else {
            ASSERT_TRUE(w.App().View().GetImage());
            EXPECT_NE(w.App().View().GetImage(), shownBefore);
            EXPECT_FALSE(w.App().IsNoticeShown()) << w.App().Notice()[1].ToStdString();
        }
        current = expected;
    }
    EXPECT_EQ(w.Title(), order[0] + " - Brintavolex Viewer") << "the walk wraps past the vanished file";
    w.Key(kUp);
    EXPECT_EQ(w.Title(), files.After(order[0], -1, "7-vanishing.bmp") + " - Brintavolex Viewer");

    // The file slider asks for the file at its index.
    const std::size_t gif = std::size_t(std::find(order.begin(), order.end(), "3-frames.gif") - order.begin());
    w.App().FileSlider().Select(gif);
    w.Settle();
    EXPECT_EQ(w.Title(), "3-frames.gif - Brintavolex Viewer");
    EXPECT_EQ(w.App().Stream().DimensionCount(), 1u) << "the GIF's frames get their slider";
}

TEST(PlanoscopeApplication, SlideshowAdvancesAtTheChosenIntervalAndWraps)
{
    MixedFolder files;
    AppWindow w;
    const std::vector<std::string> order = files.Order();
    // Started on the last file but one, the show goes on with the first.
    w.viewer.OpenFile(files.Path(order[5]));
    w.Settle();
    w.App().SlideshowSpeedList().SetSelectedIndex(7); // 1.000 s
    w.Key(kSpace);
    ASSERT_TRUE(w.App().IsSlideshowRunning());
    EXPECT_TRUE(w.App().SlideshowButton().IsActive());
    EXPECT_EQ(w.Title(), order[6] + " - Brintavolex Viewer") << "starting steps at once";
    w.Wait(999);
    EXPECT_EQ(w.Title(), order[6] + " - Brintavolex Viewer");
    w.Wait(1);
    EXPECT_EQ(w.Title(), order[0] + " - Brintavolex Viewer");
    w.Wait(1000);
    EXPECT_EQ(w.Title(), order[1] + " - Brintavolex Viewer");
    w.Key(kSpace);
    EXPECT_FALSE(w.App().IsSlideshowRunning());
    w.Wait(5000);
    EXPECT_EQ(w.Title(), order[1] + " - Brintavolex Viewer");
    // The speeds fall through the list; none selected means 5 s.
    for (std::size_t i = 1; i < std::size(PlanoscopeApplication::kSlideshowMilliseconds); ++i)
        EXPECT_LT(PlanoscopeApplication::kSlideshowMilliseconds[i], PlanoscopeApplication::kSlideshowMilliseconds[i - 1]);
    w.App().SlideshowSpeedList().SetSelectedIndex(-1);
    EXPECT_EQ(w.App().SlideshowInterval(), 5000u);
}

TEST(PlanoscopeApplication, DeletingAndPrintingGoThroughTheShell)
{
    MixedFolder files;
    AppWindow w;
    const std::string next = files.After("2-basn2c08.png", 1);
    w.viewer.OpenFile(files.Path("2-basn2c08.png"));
    w.Settle();
    const SharedPtr<Data::Image2DBase> picture = w.App().View().GetImage();
    ASSERT_TRUE(picture);
    // Deletion is off by default: the key is taken and nothing happens.
    EXPECT_FALSE(w.App().DeleteButton().IsEnabled());
    w.Key(kDelete);
    EXPECT_TRUE(w.shell->deleted.empty());

    w.viewer.Settings().enableFileDelete.Set(true);
    w.App().DeletionSettingChanged();
    ASSERT_TRUE(w.App().DeleteButton().IsEnabled());
    // A refused delete says why and leaves the commands as they were.
    w.shell->outcome = DeleteOutcome::Failed;
    w.Key(kDelete);
    EXPECT_EQ(w.shell->deleted.size(), 1u);
    EXPECT_EQ(w.App().Notice()[1], String("the disk said no"));
    EXPECT_TRUE(w.App().DeleteButton().IsEnabled());
    EXPECT_TRUE(w.App().PrintButton().IsEnabled());
    // So does one the user aborted.
    w.shell->outcome = DeleteOutcome::Aborted;
    w.Key(kDelete);
    EXPECT_TRUE(w.App().DeleteButton().IsEnabled());

    w.App().PrintButton().OnClick()(w.App().PrintButton());
    ASSERT_EQ(w.shell->executed.size(), 1u);
    EXPECT_EQ(w.shell->executed[0], String("print ") + files.Path("2-basn2c08.png"));

    w.shell->outcome = DeleteOutcome::Deleted;
    w.Key(kDelete);
    EXPECT_FALSE(std::filesystem::exists(files.folder.File("2-basn2c08.png")));
    EXPECT_FALSE(w.App().DeleteButton().IsEnabled());
    EXPECT_FALSE(w.App().PrintButton().IsEnabled());
    EXPECT_EQ(w.App().View().GetImage(), picture) << "the picture stays until another file opens";
    w.Key(kDelete);
    EXPECT_EQ(w.shell->deleted.size(), 3u) << "a file deleted is not deleted again";
    w.Key(kDown);
    EXPECT_EQ(w.Title(), next + " - Brintavolex Viewer");
    EXPECT_TRUE(w.App().DeleteButton().IsEnabled());
}

TEST(PlanoscopeApplication, KeysOfTheMapActOnlyUnderTheirCondition)
{
    MixedFolder files;
    AppWindow w;
    std::vector<bool> fullscreen;
    int closes = 0;
    PlanoscopeApplication::Frame frame;
    frame.setFullscreen = [&](bool on) { fullscreen.push_back(on); };
    frame.close = [&] { ++closes; };
    w.App().SetFrame(frame);

    // Before any file: no list, so the keys that step or play do nothing.
    for (std::uint32_t key : {kDown, kUp, kSpace, kDelete})
        w.Key(key);
    EXPECT_EQ(w.Title(), "Brintavolex Viewer");
    EXPECT_FALSE(w.App().IsSlideshowRunning());

    w.viewer.OpenFile(files.Path("1-rgb24.bmp"));
    w.Settle();
    // Letters without their modifier are taken and do nothing.
    w.Key('H');
    EXPECT_FALSE(w.App().IsHeaderTreeShown());
    w.Key('H', {kControl});
    EXPECT_TRUE(w.App().IsHeaderTreeShown());
    EXPECT_TRUE(w.App().HeaderButton().IsActive());
    w.Key('H', {kControl});
    EXPECT_FALSE(w.App().IsHeaderTreeShown());
    w.Key('V');
    w.Key('L', {kControl});
    EXPECT_EQ(w.Title(), "1-rgb24.bmp - Brintavolex Viewer");

    // Ctrl+V opens the clipboard's bitmap without a list: the keys that
    // step or delete do nothing then; an empty clipboard changes nothing.
    ClipboardContent clipboard;
    const std::string bmp = TestSupport::ReadBytes(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"));
    clipboard.dib.assign(bmp.begin() + 14, bmp.end());
    frame.readClipboard = [&] { return clipboard; };
    w.App().SetFrame(frame);
    w.Key('V', {kControl});
    EXPECT_EQ(w.Title(), "Clipboard.dib - Brintavolex Viewer");
    ASSERT_TRUE(w.App().View().GetImage());
    EXPECT_EQ(w.App().View().GetImage()->GetWidth(), 127u);
    EXPECT_FALSE(w.App().FileSlider().IsVisible());
    for (std::uint32_t key : {kDown, kUp, kDelete})
        w.Key(key);
    EXPECT_EQ(w.Title(), "Clipboard.dib - Brintavolex Viewer");
    EXPECT_TRUE(w.shell->deleted.empty());
    clipboard = ClipboardContent{};
    w.Key(kInsert, {kShift});
    EXPECT_EQ(w.Title(), "Clipboard.dib - Brintavolex Viewer");
    EXPECT_FALSE(w.App().IsNoticeShown());
    w.viewer.OpenFile(files.Path("1-rgb24.bmp"));
    w.Settle();
    EXPECT_TRUE(w.App().FileSlider().IsVisible());

    // Enter enters fullscreen: the toolbars go, and come back while the
    // pointer is at the top edge. Backspace leaves, a second one closes.
    w.Key(kEnter);
    ASSERT_EQ(fullscreen, std::vector<bool>{true});
    EXPECT_EQ(w.App().ToolbarRect().Height(), 0);
    EXPECT_FALSE(w.App().OpenButton().IsVisible());
    const GUI::Rect r = w.App().GetRect();
    w.platform->InjectPointer(w.Window(), M::MouseMove, r.Width() / 2, 1);
    w.viewer.Host().ProcessPendingMessages();
    EXPECT_TRUE(w.App().OpenButton().IsVisible());
    w.platform->InjectPointer(w.Window(), M::MouseMove, r.Width() / 2, r.Height() / 2);
    w.viewer.Host().ProcessPendingMessages();
    EXPECT_FALSE(w.App().OpenButton().IsVisible());
    w.Key(kBackspace);
    EXPECT_EQ(fullscreen, (std::vector<bool>{true, false}));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(w.App().OpenButton().IsVisible());
    w.Key(kBackspace);
    EXPECT_EQ(closes, 1);
}

TEST(PlanoscopeApplication, ASingleFileHidesTheFileSliderAndAWrongExtensionIsNoticed)
{
    TestSupport::TempFolder folder;
    // A PNG named as a BMP.
    const String path = TestSupport::PathString(
        folder.Write("photo.bmp", TestSupport::ReadBytes(TestSupport::CachePath("pngsuite/basn2c08.png"))));
    AppWindow w;
    w.viewer.OpenFile(path);
    w.Settle();
    EXPECT_FALSE(w.App().FileSlider().IsVisible());
    ASSERT_TRUE(w.App().View().GetImage());
    EXPECT_EQ(w.App().Notice(), Texts::WrongExtensionWarning);
    // Up and Down reload the one file.
    w.Key(kDown);
    EXPECT_EQ(w.Title(), "photo.bmp - Brintavolex Viewer");
    EXPECT_TRUE(w.viewer.Host().PaintPanels());
}


TEST(PlanoscopeApplication, DropsOpenAFileAFolderTreeOrAVirtualFileAndSayWhatFailed)
{
    MixedFolder files;
    std::filesystem::create_directories(files.folder.File("sub/deeper"));
    std::filesystem::create_directories(files.folder.File("empty"));
    files.folder.Write("sub/deeper/8-deep.bmp", TestSupport::ReadBytes(TestSupport::CachePath("bmpsuite/g/rgb24.bmp")));
    files.folder.Write("empty/notes.txt", "no picture");
    AppWindow w;
    const auto drop = [&](DroppedItem item) {
        w.App().OpenDropped(std::move(item));
        w.Settle();
    };
    // A folder: every picture in and below it, the first one shown.
    drop(DroppedItem{TestSupport::PathString(files.folder.Path()), {}, {}, {}});
    ASSERT_TRUE(w.App().FileSlider().IsVisible());
    EXPECT_EQ(w.App().FileSlider().GetCount(), 8u) << "the seven files and the one two folders down";
    EXPECT_NE(w.Title(), "Brintavolex Viewer");
    drop(DroppedItem{TestSupport::PathString(files.folder.File("empty")), {}, {}, {}});
    EXPECT_EQ(w.App().Notice()[1].ToStdString().rfind("The folder holds no pictures: ", 0), 0u);

    // A file: with its own folder's list, once the drop call has returned.
    w.App().OpenDroppedLater(DroppedItem{files.Path("5-exif.jpg"), {}, {}, {}});
    EXPECT_NE(w.Title(), "5-exif.jpg - Brintavolex Viewer");
    w.Wait(0);
    EXPECT_EQ(w.Title(), "5-exif.jpg - Brintavolex Viewer");
    EXPECT_EQ(w.App().FileSlider().GetCount(), 7u);

    // A virtual file: its name, no list; a failed drop is said, the
    // picture stays.
    const std::string png = TestSupport::ReadBytes(TestSupport::CachePath("pngsuite/basn2c08.png"));
    drop(DroppedItem{{}, std::vector<std::uint8_t>(png.begin(), png.end()), String("Attachment.png"), {}});
    EXPECT_EQ(w.Title(), "Attachment.png - Brintavolex Viewer");
    ASSERT_TRUE(w.App().View().GetImage());
    EXPECT_EQ(w.App().View().GetImage()->GetWidth(), 32u);
    EXPECT_FALSE(w.App().FileSlider().IsVisible());
    const SharedPtr<Data::Image2DBase> shown = w.App().View().GetImage();
    drop(DroppedItem{{}, {}, {}, String("the drop describes no file")});
    EXPECT_EQ(w.App().Notice()[1], String("the drop describes no file"));
    EXPECT_EQ(w.App().View().GetImage(), shown);
    EXPECT_EQ(w.Title(), "Attachment.png - Brintavolex Viewer");
}

TEST(PlanoscopeApplication, LargePicturesStartFittedAndPhotosUpright)
{
    TestSupport::TempFolder folder;
    AppWindow w;
    auto image = MakeShared<Data::Image2D<Data::ColorBGRA<std::uint8_t>>>();
    image->Allocate(4000, 1000);
    Data::clear(*image, 128);
    w.App().ShowImage(image, "big");
    EXPECT_DOUBLE_EQ(w.App().View().GetZoom(), 4000.0 / w.App().View().GetRect().Width());
    // And stay fitted when the window changes size.
    const GUI::Rect r = w.App().GetRect();
    w.App().SetRect(r.x0, r.y0, r.x0 + 1000, r.y1);
    EXPECT_DOUBLE_EQ(w.App().View().GetZoom(), 4000.0 / w.App().View().GetRect().Width());

    // A photo stored 250 x 100, to be turned clockwise, stands 100 x 250.
    w.App().SetRect(r.x0, r.y0, r.x0 + 560, r.y0 + 300);
    w.viewer.OpenFile(FromUTF8(folder.Write("photo.exo", TestSupport::OrientedPictureFile(6, 250, 100))));
    w.Settle();
    ImageView::Planoscope &view = w.App().View();
    EXPECT_TRUE(view.IsFitting());
    EXPECT_DOUBLE_EQ(view.GetZoom(), 250.0 / view.GetRect().Height());
    view.SetZoom(1);
    EXPECT_TRUE(w.viewer.Host().PaintPanels());
    // Stored row 0 on the right, from column 0 at the top: green 0, blue the
    // upright row.
    const auto shown = view.ImageRectangleOnScreen();
    const std::int32_t y = (view.GetRect().y0 + view.GetRect().y1) / 2;
    const auto lock = w.App().GetRenderer()->LockBackBuffer();
    const std::uint8_t *right = lock.ReadBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(shown.right - 1) * 4;
    EXPECT_EQ(shown.right - shown.left, 100);
    EXPECT_EQ(right[0], y - shown.top);
    EXPECT_EQ(right[1], 0);
}

// Stepping to a prefetched photo paints what the worker resampled for the
// view (a turned one too), and that frame is the one a fresh paint draws.
TEST(PlanoscopeApplication, ASteppedToPrefetchedPhotoIsPaintedFromItsResamplingAhead)
{
    TestSupport::TempFolder folder;
    folder.Write("a.exo", TestSupport::OrientedPictureFile(1, 250, 200));
    folder.Write("b.exo", TestSupport::OrientedPictureFile(6, 240, 130));
    folder.Write("c.exo", TestSupport::OrientedPictureFile(3, 255, 255));
    AppWindow w;
    const GUI::Rect r = w.App().GetRect();
    w.App().SetRect(r.x0, r.y0, r.x0 + 420, r.y0 + 260);
    w.viewer.OpenFile(FromUTF8(folder.File("a.exo")));
    w.Settle();
    ImageView::Planoscope &view = w.App().View();
    for (int step = 0; step < 2; ++step) {
        ASSERT_TRUE(w.viewer.Host().PaintPanels());
        for (int i = 0; i < 2000 && w.App().Manager()->PrefetchedCount() < 2; ++i) {
            w.viewer.Host().ProcessPendingMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const unsigned copied = view.AheadFrames(), painted = view.FullFrames();
        w.Key(kDown);
        ASSERT_GT(view.FittingZoom(), 1.0) << w.Title();
        ASSERT_TRUE(w.viewer.Host().PaintPanels());
        EXPECT_EQ(view.AheadFrames(), copied + 1) << w.Title();
        EXPECT_EQ(view.FullFrames(), painted) << w.Title();
        const std::vector<std::uint8_t> ahead = w.platform->Frames(w.Window()).Pixels();
        // Without the picture resampled ahead and the kept frame, the next paint resamples.
        view.OfferResampled(nullptr);
        const auto mode = view.CurrentResamplingMode();
        view.SetResamplingModes(mode, mode, mode);
        ASSERT_TRUE(w.viewer.Host().PaintPanels());
        EXPECT_EQ(view.FullFrames(), painted + 1);
        EXPECT_TRUE(w.platform->Frames(w.Window()).Pixels() == ahead) << w.Title();
    }
}

} // namespace
} // namespace Brintavolex
