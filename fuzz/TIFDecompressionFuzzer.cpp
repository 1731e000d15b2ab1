// The strip decompressors on arbitrary bytes with a bound taken from the
// input: none may write past it or read past the data.
#include "TIF/src/TIFDecompression.h"

#include <cstdint>
#include <exception>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t expected = (std::size_t(data[0]) << 8 | data[1]) * 4;
    std::vector<std::uint8_t> in(data + 2, data + size), out(expected);
    TIF::UnpackBits(in.data(), in.size(), out.data(), expected);
    TIF::DecodeLZW(in.data(), in.size(), out.data(), expected);
    try {
        TIF::Inflate(in.data(), in.size(), out.data(), expected);
    } catch (const std::exception &) {
    }
    return 0;
}
