#include "Interface/api/BinaryFile.h"
#include "Platform/api/String.h"

namespace Brintavolex {

std::FILE *BinaryFile::OpenSystem(const String &path, Mode mode)
{
    return std::fopen(ToUTF8(path).c_str(), mode == Mode::Read ? "rb" : "wb");
}

} // namespace Brintavolex
