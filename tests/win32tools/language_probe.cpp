// Started under Wine with a Unix LANG: prints the language the program
// detects and checks that a settings file round-trips its floats exactly in
// that session. Exit status 0 when the language is the one expected
// (argument "German" or "English") and the round trip holds.
#include "Platform/api/Language.h"
#include "this/src/Settings/PlanoscopeSettings.h"
#include "this/src/Settings/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <string>

using namespace Brintavolex;

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const Locale::EnumLanguage detected = Locale::DetectSystemLanguage();
    const bool german = detected == Locale::EnumLanguage::German;
    std::printf("detected %s\n", german ? "German" : "English");
    if (std::string(argv[1]) != (german ? "German" : "English"))
        return 1;

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const String folder = String(StringExpr(reinterpret_cast<const char16_t *>(temp))) + "language-probe-" +
                          String::FromUnsigned(GetCurrentProcessId());
    PlanoscopeSettings written;
    written.backgroundColor = Data::ColorBGRA<float>{0.123457f, 0.5f, 1e-7f, 0.999999f};
    SaveSettings(written, folder);
    PlanoscopeSettings read;
    const SettingsLoad load = LoadSettings(read, folder, String());
    const bool exact = load.failedValues == 0 && read.backgroundColor.Get() == written.backgroundColor.Get();
    std::printf("round trip %s\n", exact ? "exact" : "changed");
    return exact ? 0 : 1;
}
