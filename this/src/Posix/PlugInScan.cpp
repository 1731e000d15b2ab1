#include "this/src/Codecs.h"

namespace Brintavolex {

// Plug-ins are COM DLLs: there are none outside Windows.
std::vector<SharedPtr<CodecFactory>> ScanPlugInFactories() { return {}; }

} // namespace Brintavolex
