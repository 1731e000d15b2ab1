#include "this/src/Settings/PlanoscopeSettings.h"

namespace Brintavolex {

PlanoscopeSettings::PlanoscopeSettings() : CompositeOfProperties("PlanoscopeSettings")
{
    language.Callback().ResetCallable([](const Locale::EnumLanguage &value) { Locale::SetCurrentLanguage(value); });
}

} // namespace Brintavolex
