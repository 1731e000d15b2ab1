// clipboard_tool set-dib FILE.bmp: puts the bitmap of a BMP file on the
// clipboard as CF_DIB (the file without its 14-byte header).
// clipboard_tool empty: empties the clipboard; fails when another program
// still holds it open.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr std::size_t kFileHeaderBytes = 14;

// Another program may hold the clipboard for a moment.
bool Open()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(50);
    }
    std::fprintf(stderr, "OpenClipboard failed: %lu\n", GetLastError());
    return false;
}

int SetDib(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() <= kFileHeaderBytes || file[0] != 'B' || file[1] != 'M')
        return 2;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, file.size() - kFileHeaderBytes);
    if (!memory)
        return 3;
    std::memcpy(GlobalLock(memory), file.data() + kFileHeaderBytes, file.size() - kFileHeaderBytes);
    GlobalUnlock(memory);
    if (!Open())
        return 4;
    EmptyClipboard();
    const bool set = SetClipboardData(CF_DIB, memory) != nullptr;
    CloseClipboard();
    return set ? 0 : 5;
}

int Empty()
{
    if (!Open())
        return 4;
    const bool emptied = EmptyClipboard();
    CloseClipboard();
    return emptied ? 0 : 5;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "set-dib") == 0)
        return SetDib(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "empty") == 0)
        return Empty();
    return 2;
}
