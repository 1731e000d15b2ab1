#pragma once

#include <cstddef>
#include <cstdint>

namespace Brintavolex::TIF {

// The CCITT bilevel codings of TIFF strips and tiles.
enum class FaxCoding {
    ModifiedHuffman, // Compression 2: 1D rows, each begun on a byte, no EOL codes
    Group3,          // Compression 3: EOL codes; 2D rows when T4Options says so
    Group4,          // Compression 4: 2D rows against the row before, no EOL codes
};

struct FaxOptions {
    FaxCoding coding = FaxCoding::ModifiedHuffman;
    std::uint64_t t4Options = 0; // T4Options (292) of Group 3 data, T6Options (293) of Group 4
};

// Decodes CCITT data into rows of width pixels, one bit each, most
// significant bit first, rows begun on a byte, a 1 bit for a black pixel
// (as libtiff delivers them; PhotometricInterpretation says which is shown
// dark). Writes at most `expected` bytes and returns how many rows' bytes
// it wrote; damaged data ends early, leaving the rest to the caller. Never
// reads past size bytes of input. Throws Exception for a width of 0 and for
// options that allow uncompressed mode (bit 1 of T4Options or T6Options).
std::size_t DecodeFax(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected,
                      std::uint32_t width, const FaxOptions &options);

} // namespace Brintavolex::TIF
