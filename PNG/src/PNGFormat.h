#pragma once

// Facts of the PNG format that the glue around libpng needs.
#include <cstdint>

namespace Brintavolex::PNG {

// The eight bytes every PNG file starts with.
constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr unsigned kSignatureSize = 8;

// Every decoded pixel is blue, green, red, alpha.
constexpr unsigned kOutputChannels = 4;

} // namespace Brintavolex::PNG
