// Stepping through a folder of six 6000 x 4000 JPEG photos with the image
// manager: the time from NextFile to Ready when the next file was prefetched
// and when it was not, beside a bare open and decode of the same photo in the
// same run; and the peak resident memory while walking the folder forward
// twice with prefetch, in decoded photos (6000 x 4000 BGRA).
#include "Platform/api/String.h"
#include "this/src/Codecs.h"
#include "this/src/FileList/FileLists.h"
#include "this/src/ImageManager.h"

#include "SyntheticPhoto.h"
#include "WaitingPoster.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kFiles = 6, kSteps = 5, kDecodeRuns = 3;
constexpr double kDecodedBytes = double(kWidth) * kHeight * 4;
constexpr double kMiB = 1024.0 * 1024.0;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A line of /proc/self/status ("VmRSS:", "VmHWM:") in bytes.
double StatusBytes(const std::string &key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) * 1024.0;
    return 0;
}

// The peak so far becomes the present size (Linux 4.0 and later).
bool ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return bool(clear);
}

struct Browser {
    SharedPtr<Bench::WaitingPoster> poster = MakeShared<Bench::WaitingPoster>();
    SharedPtr<PreparedDocument> shown;
    ImageManager manager{poster, [this](const SharedPtr<PreparedDocument> &document) { shown = document; }};

    // Runs posted work until a document other than the one shown arrives.
    void WaitShown()
    {
        const SharedPtr<PreparedDocument> before = shown;
        while (shown.Get() == before.Get())
            poster->RunNext();
        if (!shown->firstImage)
            throw std::runtime_error(ToUTF8(shown->error));
    }
    double TimeNextFile()
    {
        const Clock::time_point start = Clock::now();
        manager.NextFile();
        WaitShown();
        return MillisecondsSince(start);
    }
    void PrefetchAndWait()
    {
        manager.Prefetch();
        while (manager.PrefetchedCount() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

} // namespace

int main()
{
    UseApplicationCodecs();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "brintavolex-bench-prefetch";
    std::filesystem::create_directories(folder);
    {
        const std::string photo = Bench::MakePhotoJpeg(kWidth, kHeight, false);
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(folder / ("photo" + std::to_string(i) + ".jpg"), std::ios::binary) << photo;
    }
    const String first = FromUTF8((folder / "photo0.jpg").string());
    const FileListPosition list = ListForChosenFile(first);

    std::vector<double> decodes;
    for (int run = 0; run < kDecodeRuns; ++run) {
        const Clock::time_point start = Clock::now();
        if (!PrepareDocument(first, list.current)->firstImage)
            return 1;
        decodes.push_back(MillisecondsSince(start));
    }
    const double decode = Median(decodes);

    std::vector<double> cold, warm;
    {
        Browser browser;
        browser.manager.SelectFile(list.current);
        browser.WaitShown();
        for (int step = 0; step < kSteps; ++step)
            cold.push_back(browser.TimeNextFile());
        for (int step = 0; step < kSteps; ++step) {
            browser.PrefetchAndWait();
            warm.push_back(browser.TimeNextFile());
        }
    }

    // Every step waits for both neighbours: the most the manager holds.
    const double baseline = StatusBytes("VmRSS:");
    const bool peakReset = ResetPeak();
    {
        Browser browser;
        browser.manager.SelectFile(list.current);
        browser.WaitShown();
        for (int step = 0; step < 2 * kFiles; ++step) {
            browser.PrefetchAndWait();
            browser.TimeNextFile();
        }
    }
    const double peak = StatusBytes("VmHWM:") - (peakReset ? baseline : 0);
    std::filesystem::remove_all(folder);

    std::printf("open and decode one photo (reference): %8.1f ms\n", decode);
    std::printf("NextFile to Ready, not prefetched:      %8.1f ms  (%.2f x the decode)\n", Median(cold),
                Median(cold) / decode);
    std::printf("NextFile to Ready, prefetched:          %8.2f ms  (%.4f x the decode)\n", Median(warm),
                Median(warm) / decode);
    std::printf("peak memory browsing forward twice:     %8.1f MiB (%.2f decoded photos of %.1f MiB)%s\n",
                peak / kMiB, peak / kDecodedBytes, kDecodedBytes / kMiB,
                peakReset ? "" : " [peak not reset: includes set-up]");
    return 0;
}
