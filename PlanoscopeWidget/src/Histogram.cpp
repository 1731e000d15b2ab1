#include "PlanoscopeWidget/api/Histogram.h"

#include "PlanoscopeWidget/src/UserValueMapping.h"
#include "Platform/api/Threading.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <type_traits>

namespace Brintavolex::ImageView {

namespace {

// Bin of a user value; -1 for NaN, which no bin counts.
struct BinOfUserValue {
    double lo, scale;
    int operator()(double u) const noexcept
    {
        if (u != u)
            return -1;
        const double t = (u - lo) * scale;
        if (!(t >= 0)) // below the range (and infinity times a zero scale)
            return 0;
        if (t >= double(kHistogramBins - 1))
            return int(kHistogramBins - 1);
        return int(t);
    }
};

// The range the bins span: the user values of normalised 0 and 1. A range
// of no width is one unit wide, an unusable one is 0..1.
BinOfUserValue BinsOf(const UserValueMapping &mapping, HistogramBins &bins)
{
    double lo = mapping.UserFromNormalized(0), hi = mapping.UserFromNormalized(1);
    if (!std::isfinite(lo) || !std::isfinite(hi))
        lo = 0, hi = 1;
    if (hi < lo)
        std::swap(lo, hi);
    if (hi == lo)
        hi = lo + 1;
    bins.userMinimum = lo, bins.userMaximum = hi;
    return {lo, kBinScale / (hi - lo)};
}

template <class P> constexpr unsigned kCountedChannels = Data::IsBGRA<P>::value ? 3 : 1;

// 8- and 16-bit components are first counted by stored value (a table
// lookup per value), then each stored value's count goes to its bin: one
// mapping per possible value instead of one per pixel.
template <class C> constexpr bool kCountedByValue = std::is_integral_v<C> && sizeof(C) <= 2;

template <class C> inline unsigned ValueIndex(C v) noexcept
{
    return unsigned(int(v) - int(std::numeric_limits<C>::min()));
}

template <class P> void CountByValue(const Data::Image2DBase &image, HistogramBins &bins)
{
    using C = typename Data::ChannelOf<P>::type;
    constexpr unsigned kValues = 1u << (8 * sizeof(C));
    constexpr unsigned kChannels = kCountedChannels<P>;
    constexpr unsigned kComponents = Data::IsBGRA<P>::value ? 4 : 1;
    // Two tables for alternate pixels: runs of equal values do not wait on
    // the previous increment of the same counter.
    constexpr unsigned kCopies = 2;
    const auto lock = image.LockConst<P>();
    const std::uint64_t width = lock.Width();
    std::vector<std::uint64_t> total(std::size_t(kChannels) * kValues, 0);
    std::mutex merge;
    ParallelLoop::For(lock.Height(), [&](unsigned, std::uint64_t begin, std::uint64_t end) {
        std::vector<std::uint64_t> table(std::size_t(kCopies) * kChannels * kValues, 0);
        std::uint64_t *t0 = table.data(), *t1 = t0 + std::size_t(kChannels) * kValues;
        for (std::uint64_t y = begin; y < end; ++y) {
            const C *v = reinterpret_cast<const C *>(lock.Row(y));
            std::uint64_t x = 0;
            if constexpr (std::is_same_v<P, Data::ColorBGRA<std::uint8_t>>) {
                // One load per pixel, its bytes taken apart in registers.
                for (; x + 2 <= width; x += 2, v += 8) {
                    std::uint32_t a, b;
                    std::memcpy(&a, v, 4);
                    std::memcpy(&b, v + 4, 4);
                    ++t0[a & 255], ++t0[256 + ((a >> 8) & 255)], ++t0[512 + ((a >> 16) & 255)];
                    ++t1[b & 255], ++t1[256 + ((b >> 8) & 255)], ++t1[512 + ((b >> 16) & 255)];
                }
            }
            for (; x + 2 <= width; x += 2, v += 2 * kComponents)
                for (unsigned c = 0; c < kChannels; ++c) {
                    ++t0[c * kValues + ValueIndex(v[c])];
                    ++t1[c * kValues + ValueIndex(v[kComponents + c])];
                }
            if (x < width)
                for (unsigned c = 0; c < kChannels; ++c)
                    ++t0[c * kValues + ValueIndex(v[c])];
        }
        const std::lock_guard<std::mutex> guard(merge);
        for (std::size_t i = 0; i < total.size(); ++i)
            total[i] += t0[i] + t1[i];
    });
    const UserValueMapping mapping(image);
    const BinOfUserValue binOf = BinsOf(mapping, bins);
    for (unsigned k = 0; k < kValues; ++k) {
        const int bin = binOf(mapping.UserFromPixel(double(int(k) + int(std::numeric_limits<C>::min()))));
        if (bin < 0)
            continue;
        for (unsigned c = 0; c < kChannels; ++c)
            bins.counts[bin][c] += double(total[std::size_t(c) * kValues + k]);
    }
}

template <class P> void CountByBin(const Data::Image2DBase &image, HistogramBins &bins)
{
    using C = typename Data::ChannelOf<P>::type;
    constexpr unsigned kChannels = kCountedChannels<P>;
    constexpr unsigned kComponents = Data::IsBGRA<P>::value ? 4 : 1;
    const auto lock = image.LockConst<P>();
    const std::uint64_t width = lock.Width();
    const UserValueMapping mapping(image);
    const BinOfUserValue binOf = BinsOf(mapping, bins);
    std::vector<std::uint64_t> total(std::size_t(kChannels) * kHistogramBins, 0);
    std::mutex merge;
    ParallelLoop::For(lock.Height(), [&](unsigned, std::uint64_t begin, std::uint64_t end) {
        std::vector<std::uint64_t> table(total.size(), 0);
        for (std::uint64_t y = begin; y < end; ++y) {
            const C *v = reinterpret_cast<const C *>(lock.Row(y));
            for (std::uint64_t x = 0; x < width; ++x, v += kComponents)
                for (unsigned c = 0; c < kChannels; ++c) {
                    const int bin = binOf(mapping.UserFromPixel(double(v[c])));
                    if (bin >= 0)
                        ++table[c * kHistogramBins + unsigned(bin)];
                }
        }
        const std::lock_guard<std::mutex> guard(merge);
        for (std::size_t i = 0; i < total.size(); ++i)
            total[i] += table[i];
    });
    for (unsigned bin = 0; bin < kHistogramBins; ++bin)
        for (unsigned c = 0; c < kChannels; ++c)
            bins.counts[bin][c] = double(total[std::size_t(c) * kHistogramBins + bin]);
}

} // namespace

template <class T>
void HistogramComputation::UpdateHistogramHelper<T>::Update(const Data::Image2DBase &image, HistogramBins &bins)
{
    bins = HistogramBins{};
    bins.channels = kCountedChannels<T>;
    bins.pixelCount = image.GetWidth() * image.GetHeight();
    if constexpr (kCountedByValue<typename Data::ChannelOf<T>::type>)
        CountByValue<T>(image, bins);
    else
        CountByBin<T>(image, bins);
}

HistogramComputation::HistogramComputation(const SharedPtr<Data::Image2DBase> &inputImage)
{
    if (!inputImage)
        throw Exception("HistogramComputation: inputImage is nullptr");
    const bool known = Data::DispatchColorType(inputImage->GetColorType(), [&](auto tag) {
        UpdateHistogramHelper<typename decltype(tag)::type>::Update(*inputImage, _bins);
    });
    if (!known)
        throw Exception("unknown color type");
}

std::vector<std::uint8_t> UpdateHistogramFromBins(const HistogramBins &bins, std::uint32_t width,
                                                  std::uint32_t height, HistogramScaling scaling,
                                                  HistogramNormalization normalization)
{
    if (width != 256 && width != 512)
        throw Exception("UpdateHistogramFromBins: width must be 256 or 512");
    if (normalization != HistogramNormalization::Absolute && normalization != HistogramNormalization::Relative)
        throw Exception("Histogram::UpdateHistogramFromBins: mode must be absolute or relative");
    if (scaling != HistogramScaling::Linear && scaling != HistogramScaling::Log10)
        throw Exception("Histogram::UpdateHistogramFromBins: mode must be linear or log10");
    const unsigned channels = std::min(bins.channels, 3u);
    const auto scaled = [&](double c) { return scaling == HistogramScaling::Log10 ? std::log10(c + 1) : c; };
    double reference = double(bins.pixelCount);
    if (normalization == HistogramNormalization::Relative) {
        reference = 0;
        for (const auto &bin : bins.counts)
            for (unsigned c = 0; c < channels; ++c)
                reference = std::max(reference, bin[c]);
    }
    reference = scaled(reference);
    // Nothing counted: an empty graph rather than a division by zero.
    const double f = reference > 0 ? double(height) / reference : 0.0;

    std::vector<std::uint8_t> out(std::size_t(width) * height * 4, 0);
    for (std::size_t i = 3; i < out.size(); i += 4)
        out[i] = 255;
    for (std::uint32_t x = 0; x < width; ++x) {
        const auto &bin = bins.counts[width == 512 ? x / 2 : x];
        for (unsigned c = 0; c < channels; ++c) {
            const double bar = f * scaled(bin[c]);
            for (std::uint32_t y = 0; y < height; ++y) {
                const double covered = std::clamp(bar - double(height - 1 - y), 0.0, 1.0);
                const auto intensity = std::uint8_t(covered * 255 + 0.5);
                std::uint8_t *pixel = &out[(std::size_t(y) * width + x) * 4];
                if (channels == 1)
                    pixel[0] = pixel[1] = pixel[2] = intensity;
                else
                    pixel[c] = intensity;
            }
        }
    }
    return out;
}

void HistogramModel::SetImage(const SharedPtr<Data::Image2DBase> &image)
{
    _bins = image ? HistogramComputation(image).Bins() : HistogramBins{};
    _listener();
}

void HistogramModel::SetScaling(HistogramScaling scaling)
{
    if (scaling == _scaling)
        return;
    _scaling = scaling;
    _listener();
}

void HistogramModel::SetNormalization(HistogramNormalization normalization)
{
    if (normalization == _normalization)
        return;
    _normalization = normalization;
    _listener();
}

} // namespace Brintavolex::ImageView
