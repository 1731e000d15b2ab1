#include "BMP/src/BMPDecoder.h"
#include "Platform/api/CodecFactory.h"

namespace Brintavolex {

std::vector<SharedPtr<CodecFactory>> BuiltInFactories()
{
    // The fixed order: BMP, GIF, ICO, JPG, PNG, TIF (as far as they exist).
    return {MakeShared<BMPDecoderFactory>()};
}

} // namespace Brintavolex
