// The Windows console build of the command-line tool, started as a process.
#include "support/TestData.h"
#include "support/TempFolder.h"
#include "support/Win32/ProcessRunner.h"

#include "Platform/api/Win32/WideText.h"
#include "Platform/api/String.h"

#include <gtest/gtest.h>

namespace Brintavolex::TestSupport {

TEST(CliProcess, ConvertsAndFailsWithExitCodes)
{
    TempFolder folder;
    const std::wstring cli = L"\"" + ModuleFolder() + L"brintavolex-cli.exe\" ";
    const std::wstring good = Win32::ToW(StringExpr(CachePath("bmpsuite/g/pal4rle.bmp")));
    const std::wstring out = Win32::ToW(StringExpr(FromUTF8(folder.File("p\u00E4l4.png"))));
    EXPECT_EQ(RunProcess(cli + L"convert \"" + good + L"\" \"" + out + L"\""), 0ul);
    const RgbaPicture picture = ReadPng(ReadBytes(String(StringExpr(std::u16string(out.begin(), out.end())))));
    EXPECT_EQ(picture.width, 127u);
    const std::wstring bad = Win32::ToW(StringExpr(CachePath("bmpsuite/b/badwidth.bmp")));
    EXPECT_EQ(RunProcess(cli + L"info \"" + bad + L"\""), 1ul);
    EXPECT_EQ(RunProcess(cli), 2ul);
}

} // namespace Brintavolex::TestSupport
