// Listing a folder of 10,000 files (mixed extensions, no decoder run) into
// the viewer's filtered list, against reading the same folder with
// std::filesystem in the same run; and one step of the list, which opens
// the file it lands on.
#include "this/src/Codecs.h"
#include "this/src/FileList/FileLists.h"
#include "Platform/api/String.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

using namespace Brintavolex;

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;

// Made on first use, removed at exit.
struct BenchFolder {
    fs::path path = fs::temp_directory_path() / "brintavolex-file-list-bench";
    BenchFolder()
    {
        fs::remove_all(path);
        fs::create_directories(path);
        const char *extensions[] = {".jpg", ".PNG", ".tif", ".txt", ".bmp"};
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(path / ("picture" + std::to_string(i) + extensions[i % 5])) << "x";
        UseApplicationCodecs();
    }
    ~BenchFolder() { fs::remove_all(path); }
};

const fs::path &Folder()
{
    static const BenchFolder folder;
    return folder.path;
}

void ViewerList(benchmark::State &state)
{
    const String file = FromUTF8((Folder() / "picture5000.jpg").string());
    for (auto _ : state) {
        FileListPosition position = ListForChosenFile(file);
        benchmark::DoNotOptimize(position.current.index);
    }
}

// Names and kinds as a plain loop reads them, with the extension test.
void FilesystemReference(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<std::string> names;
        for (const fs::directory_entry &entry : fs::directory_iterator(Folder()))
            if (entry.is_regular_file() && entry.path().extension() != ".txt")
                names.push_back(entry.path().string());
        benchmark::DoNotOptimize(names.data());
    }
}

void Step(benchmark::State &state)
{
    const FileListPosition position = ListForChosenFile(FromUTF8((Folder() / "picture5000.jpg").string()));
    IFileList::Iterator at = position.current;
    for (auto _ : state) {
        at = position.list->MoveIterator(at, +1);
        benchmark::DoNotOptimize(at.index);
    }
}

} // namespace

BENCHMARK(ViewerList)->Unit(benchmark::kMillisecond);
BENCHMARK(FilesystemReference)->Unit(benchmark::kMillisecond);
BENCHMARK(Step)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
