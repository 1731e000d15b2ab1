#pragma once

#include "Platform/api/CodecFactory.h"

#include <vector>

namespace Brintavolex {

class RAWDecoderSettings;

// The application's decoders: the built-in ones in their fixed order. Adding
// a decoder is its folder and one line in this list.
std::vector<SharedPtr<CodecFactory>> BuiltInFactories();
// Factories of the plug-in DLLs beside the executable (none where plug-ins do
// not exist).
std::vector<SharedPtr<CodecFactory>> ScanPlugInFactories();
// Gives the codec registry the built-in decoders, then the plug-ins (a
// failing plug-in scan leaves the built-in ones). Every role that opens files
// calls it first; later calls change nothing.
void UseApplicationCodecs();
// The application's RAW size tables: the settings keep them under
// Codecs/RAWDecoderFactory and the import dialog adds to them. They are no
// built-in decoders: the factory of each extension joins the registry's end
// when it is first needed.
SharedPtr<RAWDecoderSettings> ApplicationRAWDecoderSettings();

} // namespace Brintavolex
