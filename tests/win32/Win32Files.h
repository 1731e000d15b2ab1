#pragma once

// Files the tests read back from the Wine prefix's special folders.
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>

namespace Brintavolex::TestSupport {

// A CSIDL_ folder without trailing backslash; empty when the system has none.
inline std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? path : L"";
}

// The whole file, or nothing when it cannot be read.
inline std::string ReadFileW(const std::wstring &path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace Brintavolex::TestSupport
