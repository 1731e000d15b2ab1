// The strip decompressors on arbitrary bytes with a bound taken from the
// input: none may write past it or read past the data. The CCITT decoder
// runs in each coding, with a row width taken from the input too.
#include "TIF/src/TIFDecompression.h"
#include "TIF/src/TIFFax.h"

#include <cstdint>
#include <exception>
#include <vector>

using namespace Brintavolex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::size_t expected = (std::size_t(data[0]) << 8 | data[1]) * 4;
    const std::uint32_t width = std::uint32_t(data[2]) << 8 | data[3];
    std::vector<std::uint8_t> in(data + 4, data + size), out(expected);
    TIF::UnpackBits(in.data(), in.size(), out.data(), expected);
    TIF::DecodeLZW(in.data(), in.size(), out.data(), expected);
    try {
        TIF::Inflate(in.data(), in.size(), out.data(), expected);
    } catch (const std::exception &) {}
    const TIF::FaxOptions codings[] = {{TIF::FaxCoding::ModifiedHuffman, 0},
                                       {TIF::FaxCoding::Group3, 0},
                                       {TIF::FaxCoding::Group3, 1},
                                       {TIF::FaxCoding::Group4, 0}};
    for (const TIF::FaxOptions &options : codings) {
        try {
            TIF::DecodeFax(in.data(), in.size(), out.data(), expected, width, options);
        } catch (const std::exception &) { // width 0
        }
    }
    return 0;
}
