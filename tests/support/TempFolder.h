#pragma once

#include <string>

namespace Brintavolex::TestSupport {

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes away. Paths are UTF-8 on POSIX and the
// narrow form of the wide path on Windows.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &Path() const { return _path; }
    // Path of name inside the folder.
    std::string File(const std::string &name) const;
    // Writes bytes to name inside the folder and returns its path.
    std::string Write(const std::string &name, const std::string &bytes) const;

private:
    std::string _path;
};

// The whole content of a file (throws std::runtime_error when unreadable).
std::string ReadWholeFile(const std::string &path);

} // namespace Brintavolex::TestSupport
