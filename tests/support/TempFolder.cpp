#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Brintavolex::TestSupport {

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() /
                                   ("brintavolex-test-" + std::to_string(stamp) + "-" +
                                    std::to_string(counter.fetch_add(1)));
        if (fs::create_directory(candidate)) {
            _path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("TempFolder: cannot create a folder");
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(_path, ignored);
}

std::string TempFolder::File(const std::string &name) const { return (fs::path(_path) / name).string(); }

std::string TempFolder::Write(const std::string &name, const std::string &bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("TempFolder::Write: cannot write " + path);
    return path;
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("ReadWholeFile: cannot open " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace Brintavolex::TestSupport
