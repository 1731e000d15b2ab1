#pragma once

#include "Platform/api/Language.h"

namespace Brintavolex::Locale {
// What the system reports, without remembering it.
EnumLanguage SystemInterfaceLanguage();
} // namespace Brintavolex::Locale
