#include "support/PixelCompare.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace Brintavolex::TestSupport {

std::vector<std::uint16_t> Samples16(const Data::Image2DBase &image)
{
    std::vector<std::uint16_t> out;
    auto put = [&](const auto &lock, unsigned scale) {
        for (std::uint64_t y = 0; y < lock.Height(); ++y)
            for (std::uint64_t x = 0; x < lock.Width(); ++x) {
                const auto &p = lock(x, y);
                for (unsigned v : {unsigned(p.r), unsigned(p.g), unsigned(p.b), unsigned(p.a)})
                    out.push_back(std::uint16_t(v * scale));
            }
    };
    if (image.GetColorType() == Data::ColorType::BGRAUInt16)
        put(image.Lock<Data::ColorBGRA<std::uint16_t>>(Data::LockReadOnly), 1);
    else
        put(image.Lock<Data::ColorBGRA<std::uint8_t>>(Data::LockReadOnly), 257);
    return out;
}

std::vector<std::uint16_t> GreySamples16(const Data::Image2DBase &image)
{
    std::vector<std::uint16_t> out;
    const auto lock = image.Lock<std::uint16_t>(Data::LockReadOnly);
    for (std::uint64_t y = 0; y < lock.Height(); ++y)
        for (std::uint64_t x = 0; x < lock.Width(); ++x)
            out.push_back(lock(x, y));
    return out;
}

std::vector<std::uint16_t> Samples16(const std::string &bytes, unsigned bytesPerSample)
{
    std::vector<std::uint16_t> out(bytes.size() / bytesPerSample);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = bytesPerSample == 1 ? std::uint16_t(std::uint8_t(bytes[i]) * 257)
                                     : std::uint16_t(std::uint8_t(bytes[2 * i]) | std::uint8_t(bytes[2 * i + 1]) << 8);
    return out;
}

int CountMismatches(const std::vector<std::uint16_t> &ours, const std::vector<std::uint16_t> &expected,
                    std::uint64_t width, unsigned bits, int tolerance, unsigned channels)
{
    EXPECT_EQ(ours.size(), expected.size());
    if (ours.size() != expected.size() || width == 0)
        return -1;
    const unsigned shift = 16 - bits;
    int mismatches = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const int a = ours[i] >> shift, b = expected[i] >> shift;
        if (std::abs(a - b) > tolerance && ++mismatches <= 3)
            ADD_FAILURE() << "pixel " << i / channels % width << "," << i / channels / width << " channel "
                          << (channels == 1 ? 'Y' : "RGBA"[i % 4])
                          << ": " << a << " instead of " << b;
    }
    return mismatches;
}

} // namespace Brintavolex::TestSupport
