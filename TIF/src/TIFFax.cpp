#include "TIF/src/TIFFax.h"

#include "Root/api/Exception.h"

namespace Brintavolex::TIF {

std::size_t DecodeFax(const std::uint8_t *, std::size_t, std::uint8_t *, std::size_t, std::uint32_t, const FaxOptions &)
{
    throw Exception("compression scheme is not supported");
}

} // namespace Brintavolex::TIF
