// "*.gate" files decode only while the test lets them: a decode is caught
// running without timing, and ends only when cancelled.
#include "Data/api/BmpEncoder.h"
#include "Data/api/PngEncoder.h"
#include "this/src/Codecs.h"
#include "this/src/FileList/FileLists.h"
#include "this/src/ImageManager.h"

#include "support/OrientedPicture.h"
#include "support/PixelCompare.h"
#include "support/Printers.h"
#include "support/QueuePoster.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace Brintavolex {

namespace {

using TestSupport::PathString;
using TestSupport::QueuePoster;

struct Gate {
    std::atomic<bool> open{true};
    std::atomic<int> decodes{0};  // decodes begun
    std::atomic<int> finished{0}; // decodes not cancelled
    std::atomic<int> decoders{0}; // decoders alive: documents held anywhere
};
Gate &TheGate()
{
    static Gate gate;
    return gate;
}

// Waits a few seconds at most for what another thread does.
bool Eventually(const std::function<bool()> &done)
{
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

class GatePicture final : public IImage2D {
public:
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override { return nullptr; }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    void DecodeBasicInfo(Data::BasicInfo &info) override { info = {16, 16, 16, 16, Data::ColorType::UInt8}; }
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress) override
    {
        ++TheGate().decodes;
        // Cancelling is the only way out while the gate is closed.
        while (!TheGate().open) {
            ReportProgress(progress, 0.5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // A cancel that came while the gate was closed must still count.
        ReportProgress(progress, 1.0);
        ++TheGate().finished;
        std::memset(buffer, 0x7F, stride * rows);
    }
};

class GateDecoder final : public IDecoder {
public:
    explicit GateDecoder(IStream &stream)
    {
        char magic[4] = {};
        if (stream.size() != 4 || (stream.read(magic, 4), std::memcmp(magic, "GATE", 4) != 0))
            throw Exception("GateDecoder: not mine");
        ++TheGate().decoders;
    }
    ~GateDecoder() override { --TheGate().decoders; }
    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override { return MakeShared<GatePicture>(); }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
};

class GateFactory final : public DecoderFactory<GateFactory> {
public:
    String GetName() override { return "gate"; }
    String GetExtensions() override { return "*.gate"; }
    TextPair GetFilterStrings() override { return {String("gate"), String("gate")}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<GateDecoder>(*stream);
    }
};

// n gate files 0.gate ... in a folder; the list and its first file.
FileListPosition GateFolder(const TestSupport::TempFolder &folder, int n)
{
    [[maybe_unused]] static const bool registered = (AppendFactory(MakeShared<GateFactory>()), true);
    for (int i = 0; i < n; ++i)
        folder.Write(std::to_string(i) + ".gate", "GATE");
    FileListPosition list = ListForChosenFile(PathString(folder.File("0.gate")));
    list.current = list.list->GetIteratorFromIndex(0);
    return list;
}

struct Browser {
    SharedPtr<QueuePoster> poster = MakeShared<QueuePoster>();
    std::vector<SharedPtr<PreparedDocument>> shown;
    std::unique_ptr<ImageManager> manager =
        std::make_unique<ImageManager>(poster, [this](const SharedPtr<PreparedDocument> &document) {
            shown.push_back(document);
        });

    // The next document handed to Ready (null when none comes).
    SharedPtr<PreparedDocument> NextShown()
    {
        const std::size_t before = shown.size();
        return poster->RunUntil([&] { return shown.size() > before; }) ? shown.back() : nullptr;
    }
};

SharedPtr<Data::Image2DBase> Pattern(std::uint32_t w, std::uint32_t h, int seed)
{
    auto image = MakeShared<Data::Image2D<Data::ColorBGRA<std::uint8_t>>>();
    image->Allocate(w, h);
    auto lock = image->Lock<Data::ColorBGRA<std::uint8_t>>();
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            lock(x, y) = {std::uint8_t(40 * x + seed), std::uint8_t(60 * y), std::uint8_t(7 * x + 13 * y + seed), 255};
    return image;
}

} // namespace

TEST(ImageManager, WalksAMixedFolderInListOrderAndBack)
{
    TestSupport::TempFolder folder;
    const SharedPtr<Data::Image2DBase> bmp = Pattern(5, 3, 0), png = Pattern(4, 6, 9);
    const String start = PathString(folder.Write("written.bmp", Data::EncodeBmp(*bmp)));
    folder.Write("written.png", Data::EncodePng(*png));
    folder.Write("anim.gif", TestSupport::ReadBytes(TestSupport::CachePath("giflib-pics/welcome2.gif")));
    folder.Write("rgb.tiff", TestSupport::ReadBytes(TestSupport::CachePath("libtiff-testimages/rgb-3c-8b.tiff")));
    folder.Write("photo.jpg", TestSupport::ReadBytes(TestSupport::CachePath("libjpeg-turbo-testimages/testorig.jpg")));
    folder.Write("turned.exo", TestSupport::OrientedPictureFile(6, 3, 2));
    folder.Write("notes.txt", "no decoder claims this");
    folder.Write("broken.jpg", "\xFF\xD8 not a JPEG at all");
    folder.Write("empty.png", "");

    Browser browser;
    ImageManager &manager = *browser.manager;
    EXPECT_EQ(Thrown([&] { manager.NextFile(); }), "NextFile: _FileListIterator==nullptr");
    EXPECT_EQ(Thrown([&] { manager.PrevFile(); }), "PrevFile: _FileListIterator==nullptr");
    EXPECT_EQ(Thrown([&] { manager.ArbitraryImageFromIndex(0); }), "ArbitraryImageFromIndex: _FileListIterator==nullptr");

    UseApplicationCodecs();
    const FileListPosition list = ListForChosenFile(start);
    ASSERT_EQ(list.list->GetCount(), 8u); // all but the text file
    manager.SelectFile(list.current);
    EXPECT_TRUE(manager.IsLoading());
    SharedPtr<PreparedDocument> document = browser.NextShown();
    ASSERT_TRUE(document && document->firstImage) << ToUTF8(document ? document->error : String());
    EXPECT_FALSE(manager.IsLoading());
    EXPECT_EQ(TestSupport::Samples16(*document->firstImage), TestSupport::Samples16(*bmp));

    // Once round: each entry after the start in list order, then the start.
    const std::uint64_t count = list.list->GetCount(), first = list.current.index;
    for (std::uint64_t step = 1; step <= count; ++step) {
        manager.NextFile();
        document = browser.NextShown();
        ASSERT_TRUE(document);
        const std::string name = ToUTF8(document->path).substr(folder.Path().size() + 1);
        SCOPED_TRACE(name);
        EXPECT_TRUE(document->path == list.list->GetFileFullPath((first + step) % count));
        EXPECT_EQ(manager.Current().index, (first + step) % count);
        if (name == "broken.jpg" || name == "empty.png") {
            EXPECT_FALSE(document->firstImage);
            EXPECT_TRUE(document->unclaimed);
            EXPECT_FALSE(document->error.Empty());
            continue;
        }
        ASSERT_TRUE(document->firstImage) << ToUTF8(document->error);
        if (name == "written.png") {
            EXPECT_EQ(TestSupport::Samples16(*document->firstImage), TestSupport::Samples16(*png));
        } else if (name == "anim.gif") {
            EXPECT_GT(document->imageCount, 1u);
            EXPECT_EQ(document->delays.size(), document->imageCount);
        } else if (name == "turned.exo") {
            EXPECT_EQ(document->exifOrientation, 6);
        } else if (name == "photo.jpg") {
            EXPECT_EQ(document->firstImage->GetWidth(), 227u);
        }
    }
    EXPECT_TRUE(document->path == start);
    manager.PrevFile();
    document = browser.NextShown();
    ASSERT_TRUE(document);
    EXPECT_TRUE(document->path == list.list->GetFileFullPath((first + count - 1) % count));
    EXPECT_EQ(browser.poster->RunPending(), 0);
}

TEST(ImageManager, PrefetchedNeighboursAreHandedOverWithoutDecodingAgainWithinTheBudget)
{
    TestSupport::TempFolder folder;
    const FileListPosition list = GateFolder(folder, 6);
    TheGate().open = true;
    const int decodersBefore = TheGate().decoders;
    Browser browser;
    ImageManager &manager = *browser.manager;
    manager.SelectFile(list.list->GetIteratorFromIndex(2));
    {
        const SharedPtr<PreparedDocument> shownFirst = browser.NextShown();
        ASSERT_TRUE(shownFirst && shownFirst->firstImage);
        manager.Prefetch();
        ASSERT_TRUE(Eventually([&] { return manager.PrefetchedCount() == 2; }));
        const int decodes = TheGate().decodes;

        manager.NextFile();
        const SharedPtr<PreparedDocument> next = browser.NextShown();
        ASSERT_TRUE(next && next->firstImage);
        EXPECT_EQ(next->position.index, 3u);
        manager.PrevFile();
        EXPECT_EQ(browser.NextShown().Get(), shownFirst.Get());
        EXPECT_EQ(TheGate().decodes, decodes);
    }

    // Walking forward twice with prefetches: the manager holds the current
    // file and two neighbours at most, whatever the user keeps.
    browser.shown.clear();
    for (int step = 0; step < 12; ++step) {
        manager.NextFile();
        ASSERT_TRUE(browser.NextShown());
        browser.shown.clear();
        manager.Prefetch();
        ASSERT_TRUE(Eventually([&] { return manager.PrefetchedCount() == 2; }));
        EXPECT_LE(TheGate().decoders - decodersBefore, 3);
    }
    manager.Clear();
    EXPECT_EQ(TheGate().decoders - decodersBefore, 0);
    EXPECT_EQ(Thrown([&] { manager.NextFile(); }), "NextFile: _FileListIterator==nullptr");
}

TEST(ImageManager, RapidStepsHandOverOnlyTheLastSelection)
{
    TestSupport::TempFolder folder;
    const FileListPosition list = GateFolder(folder, 8);
    TheGate().open = false;
    const int decodes = TheGate().decodes;
    const int finished = TheGate().finished;
    Browser browser;
    ImageManager &manager = *browser.manager;
    manager.SelectFile(list.current);
    ASSERT_TRUE(Eventually([&] { return TheGate().decodes == decodes + 1; }));
    for (int press = 0; press < 5; ++press)
        manager.NextFile();
    // The first decode, far from the last selection, ends cancelled.
    TheGate().open = true;
    ASSERT_TRUE(browser.poster->RunUntil([&] { return !manager.IsLoading(); }));
    ASSERT_EQ(browser.shown.size(), 1u);
    EXPECT_EQ(browser.shown[0]->position.index, 5u);
    EXPECT_TRUE(browser.shown[0]->error.Empty());
    // The file before it is prefetched; a file passed over may have begun
    // decoding while the keys came, but never finished.
    ASSERT_TRUE(Eventually([&] { return manager.PrefetchedCount() == 1; }));
    EXPECT_TRUE(Eventually([&] { return TheGate().finished == finished + 2; }));
    browser.poster->RunPending();
    EXPECT_EQ(browser.shown.size(), 1u);
}

TEST(ImageManager, DestroyingOrClearingItCancelsTheDecodeAndNothingIsDeliveredAfter)
{
    TestSupport::TempFolder folder;
    const FileListPosition list = GateFolder(folder, 3);
    enum class Case { ClearWhileDecoding, DestroyWhileDecoding, DestroyWithTheResultPosted };
    for (const Case what : {Case::ClearWhileDecoding, Case::DestroyWhileDecoding, Case::DestroyWithTheResultPosted}) {
        SCOPED_TRACE(int(what));
        TheGate().open = what == Case::DestroyWithTheResultPosted;
        const int decodes = TheGate().decodes;
        Browser browser;
        browser.manager->SelectFile(list.current);
        // With the gate closed these would wait for ever unless the decode
        // were cancelled.
        if (what == Case::DestroyWithTheResultPosted)
            ASSERT_TRUE(Eventually([&] { return browser.poster->Pending() == 1; }));
        else
            ASSERT_TRUE(Eventually([&] { return TheGate().decodes == decodes + 1; }));
        if (what == Case::ClearWhileDecoding) {
            browser.manager->Clear();
            EXPECT_FALSE(browser.manager->IsLoading());
        } else {
            browser.manager.reset();
        }
        browser.poster->RunPending();
        EXPECT_TRUE(browser.shown.empty());
    }
    TheGate().open = true;
}

} // namespace Brintavolex
