#pragma once

#include "Platform/api/CodecFactory.h"

#include <string>

namespace Brintavolex::TestSupport {

// Opens a file's bytes through the application's codec registry, by its
// name's extension first, as the viewer opens a file. The bytes are kept
// for the rest of the test program: the stream reads them in place.
LoadedItem LoadBytes(const std::string &bytes, const char *name);

} // namespace Brintavolex::TestSupport
