#include "this/src/Settings/PlanoscopeSettings.h"

#include "RAW/api/RAWDecoderFactory.h"
#include "this/src/Codecs.h"

namespace Brintavolex {

CodecSettings::CodecSettings(CompositeOfProperties *parent) : CompositeOfProperties(parent, "Codecs")
{
    Register(ApplicationRAWDecoderSettings());
}

PlanoscopeSettings::PlanoscopeSettings() : CompositeOfProperties("PlanoscopeSettings")
{
    language.Callback().ResetCallable([](const Locale::EnumLanguage &value) { Locale::SetCurrentLanguage(value); });
}

} // namespace Brintavolex
