#pragma once

#include <array>
#include <cstdint>

namespace Brintavolex::TIF {

// Lookup tables of the CCITT codes (ITU-T T.4), indexed by the next bits of
// the data, most significant first: whatever code those bits begin with.

// Run-length codes: the longest white code has 12 bits, the longest black 13.
constexpr unsigned kWhiteCodeBits = 12, kBlackCodeBits = 13;
// An entry holds the run in its low kRunValueBits bits and the code's length
// above them; 0 where no code begins (EOL included: it never belongs in a row).
// Runs of 64 and more are make-up codes that a terminating code must follow.
constexpr unsigned kRunValueBits = 12;
constexpr std::uint16_t kRunValueMask = (1u << kRunValueBits) - 1;
constexpr std::uint32_t kFirstMakeUpRun = 64;
extern const std::array<std::uint16_t, 1u << kWhiteCodeBits> kWhiteRunCodes;
extern const std::array<std::uint16_t, 1u << kBlackCodeBits> kBlackRunCodes;

// The mode codes of two-dimensional rows: the longest has 7 bits. The
// extension codes (uncompressed mode) and EOL, which begin with six zeros and
// more, have no entry.
constexpr unsigned kModeCodeBits = 7;
enum class FaxMode : std::uint8_t { None, Pass, Horizontal, Vertical };
struct FaxModeCode {
    FaxMode mode;
    std::uint8_t length;
    std::int8_t offset; // of a vertical mode: a1 - b1
    constexpr bool operator==(const FaxModeCode &) const = default;
};
extern const std::array<FaxModeCode, 1u << kModeCodeBits> kModeCodes;

} // namespace Brintavolex::TIF
