#pragma once

#include <cstdint>

namespace Brintavolex {

// The most one decode may allocate for its decoded samples. A file can
// declare any size, and run-length data or a plug-in's report bounds
// nothing, so the data caches and the decoders check this before they
// allocate. Process-wide, 1 GiB unless the caller sets another.
constexpr std::uint64_t kDefaultDecodeLimit = std::uint64_t(1) << 30;

std::uint64_t GetDecodeLimit() noexcept;
void SetDecodeLimit(std::uint64_t bytes) noexcept;

// Throws Exception "<operation>: W x H pixels [x D] of N bytes exceed the
// decode limit of L bytes" when width x height x depth x bytesPerPixel is
// above the limit.
void CheckDecodeLimit(const char *operation, std::uint64_t width, std::uint64_t height,
                      std::uint64_t bytesPerPixel, std::uint64_t depth = 1);

// Sets a limit for its lifetime (tests, fuzz targets) and restores the one
// before.
class ScopedDecodeLimit {
public:
    explicit ScopedDecodeLimit(std::uint64_t bytes) noexcept : _previous(GetDecodeLimit()) { SetDecodeLimit(bytes); }
    ~ScopedDecodeLimit() { SetDecodeLimit(_previous); }
    ScopedDecodeLimit(const ScopedDecodeLimit &) = delete;
    ScopedDecodeLimit &operator=(const ScopedDecodeLimit &) = delete;

private:
    std::uint64_t _previous;
};

} // namespace Brintavolex
