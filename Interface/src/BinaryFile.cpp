#include "Interface/api/BinaryFile.h"

#include "Root/api/Exception.h"

namespace Brintavolex {

BinaryFile::~BinaryFile()
{
    std::fclose(_file);
}

BinaryFile *BinaryFile::Open(const String &path, Mode mode)
{
    std::FILE *file = OpenSystem(path, mode);
    return file ? new BinaryFile(file) : nullptr;
}

void BinaryFile::Write(std::string_view bytes, StringExpr context)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), _file) != bytes.size())
        throw Exception(context + ": write failed");
}

void BinaryFile::Flush(StringExpr context)
{
    if (std::fflush(_file) != 0)
        throw Exception(context + ": write failed");
}

std::string BinaryFile::ReadAll(std::size_t limit, StringExpr context)
{
    std::string content;
    char buffer[16384];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, _file);
        if (got > limit - content.size())
            throw Exception(context + ": file too large");
        content.append(buffer, got);
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(_file))
        throw Exception(context + ": read failed");
    return content;
}

} // namespace Brintavolex
