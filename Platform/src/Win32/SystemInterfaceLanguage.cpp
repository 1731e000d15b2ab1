#include "Platform/src/SystemInterfaceLanguage.h"

#include <windows.h>

namespace Brintavolex::Locale {

EnumLanguage SystemInterfaceLanguage()
{
    // The user's interface language exists from Windows 2000 on: looked up
    // so that older systems fall back to the system's language id.
    using UILanguageFunction = LANGID(WINAPI *)();
    LANGID id = GetSystemDefaultLangID();
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (const auto function =
                reinterpret_cast<UILanguageFunction>(reinterpret_cast<void *>(GetProcAddress(kernel, "GetUserDefaultUILanguage"))))
            id = function();
    return LanguageFromLanguageId(id);
}

} // namespace Brintavolex::Locale
