#pragma once

#include "Root/api/String.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace Brintavolex {

// A file opened in binary mode, so that every system reads and writes the
// same bytes. Paths are Strings: UTF-8 on POSIX, UTF-16 on Windows.
class BinaryFile
{
public:
    enum class Mode { Read, Replace };

    BinaryFile(const BinaryFile &) = delete;
    BinaryFile &operator=(const BinaryFile &) = delete;
    ~BinaryFile();

    // nullptr (and errno) when the file cannot be opened.
    static BinaryFile *Open(const String &path, Mode mode);

    // Write and Flush throw Exception naming context when the system refuses
    // (disk full, device error): a failed write is never silent.
    void Write(std::string_view bytes, StringExpr context);
    void Flush(StringExpr context);
    // The rest of the file; more than limit bytes throw Exception.
    std::string ReadAll(std::size_t limit, StringExpr context);

private:
    explicit BinaryFile(std::FILE *file) : _file(file) {}
    static std::FILE *OpenSystem(const String &path, Mode mode);
    std::FILE *_file;
};

} // namespace Brintavolex
