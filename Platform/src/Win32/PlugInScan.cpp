#include "Platform/api/CodecFactory.h"

namespace Brintavolex {

// The plug-in loader arrives with the COM bridges.
std::vector<SharedPtr<CodecFactory>> ScanPlugInFactories() { return {}; }

} // namespace Brintavolex
