#include "Interface/api/BinaryFile.h"

#include "Platform/api/Win32/WideText.h"

#include <cwchar>

namespace Brintavolex {

std::FILE *BinaryFile::OpenSystem(const String &path, Mode mode)
{
    return _wfopen(Win32::ToW(path).c_str(), mode == Mode::Read ? L"rb" : L"wb");
}

} // namespace Brintavolex
