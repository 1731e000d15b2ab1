#include "Platform/api/MinimumMaximum.h"

#include "Platform/api/Threading.h"

#include <emmintrin.h>

#include <limits>
#include <vector>

namespace Brintavolex::Data {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// minps/minpd return their second operand when the first is NaN, which is
// exactly "replace only when the minimum is greater".
inline __m128 Min(__m128 v, __m128 m) { return _mm_min_ps(v, m); }
inline __m128 Max(__m128 v, __m128 m) { return _mm_max_ps(v, m); }
inline __m128d Min(__m128d v, __m128d m) { return _mm_min_pd(v, m); }
inline __m128d Max(__m128d v, __m128d m) { return _mm_max_pd(v, m); }

template <class T> inline void Update(T v, T &mn, T &mx)
{
    mn = v < mn ? v : mn;
    mx = v > mx ? v : mx;
}

// Folds a partial minimum and maximum into the running ones.
template <class T> inline void Merge(T partialMin, T partialMax, T &mn, T &mx)
{
    mn = partialMin < mn ? partialMin : mn;
    mx = partialMax > mx ? partialMax : mx;
}

} // namespace

template <>
void MinimumMaximumComputationFunctor<float>::Scan(const float *data, std::uint64_t stride, std::uint64_t width,
                                                   std::uint64_t begin, std::uint64_t end, double &minimum,
                                                   double &maximum)
{
    __m128 mn = _mm_set1_ps(std::numeric_limits<float>::infinity());
    __m128 mx = _mm_set1_ps(-std::numeric_limits<float>::infinity());
    float smn = std::numeric_limits<float>::infinity(), smx = -smn;
    for (std::uint64_t y = begin; y < end; ++y) {
        const float *row = data + y * stride;
        std::uint64_t x = 0;
        for (; x + 8 <= width; x += 8) {
            const __m128 a = _mm_loadu_ps(row + x), b = _mm_loadu_ps(row + x + 4);
            mn = Min(a, mn), mx = Max(a, mx);
            mn = Min(b, mn), mx = Max(b, mx);
        }
        for (; x < width; ++x)
            Update(row[x], smn, smx);
    }
    alignas(16) float lanesMin[4], lanesMax[4];
    _mm_store_ps(lanesMin, mn);
    _mm_store_ps(lanesMax, mx);
    for (int i = 0; i < 4; ++i)
        Merge(lanesMin[i], lanesMax[i], smn, smx);
    minimum = smn, maximum = smx;
}

template <>
void MinimumMaximumComputationFunctor<double>::Scan(const double *data, std::uint64_t stride, std::uint64_t width,
                                                    std::uint64_t begin, std::uint64_t end, double &minimum,
                                                    double &maximum)
{
    __m128d mn = _mm_set1_pd(kInfinity), mx = _mm_set1_pd(-kInfinity);
    double smn = kInfinity, smx = -kInfinity;
    for (std::uint64_t y = begin; y < end; ++y) {
        const double *row = data + y * stride;
        std::uint64_t x = 0;
        for (; x + 4 <= width; x += 4) {
            const __m128d a = _mm_loadu_pd(row + x), b = _mm_loadu_pd(row + x + 2);
            mn = Min(a, mn), mx = Max(a, mx);
            mn = Min(b, mn), mx = Max(b, mx);
        }
        for (; x < width; ++x)
            Update(row[x], smn, smx);
    }
    alignas(16) double lanesMin[2], lanesMax[2];
    _mm_store_pd(lanesMin, mn);
    _mm_store_pd(lanesMax, mx);
    for (int i = 0; i < 2; ++i)
        Merge(lanesMin[i], lanesMax[i], smn, smx);
    minimum = smn, maximum = smx;
}

template <>
void MinimumMaximumComputationFunctor<ColorBGRA<float>>::Scan(const ColorBGRA<float> *data, std::uint64_t stride,
                                                              std::uint64_t width, std::uint64_t begin,
                                                              std::uint64_t end, double &minimum, double &maximum)
{
    // One pixel per register; the alpha lane is left out at the end.
    __m128 mn = _mm_set1_ps(std::numeric_limits<float>::infinity());
    __m128 mx = _mm_set1_ps(-std::numeric_limits<float>::infinity());
    for (std::uint64_t y = begin; y < end; ++y) {
        const float *row = &data[y * stride].b;
        for (std::uint64_t x = 0; x < width; ++x) {
            const __m128 v = _mm_loadu_ps(row + 4 * x);
            mn = Min(v, mn), mx = Max(v, mx);
        }
    }
    alignas(16) float lanesMin[4], lanesMax[4];
    _mm_store_ps(lanesMin, mn);
    _mm_store_ps(lanesMax, mx);
    float smn = std::numeric_limits<float>::infinity(), smx = -smn;
    for (int i = 0; i < 3; ++i)
        Merge(lanesMin[i], lanesMax[i], smn, smx);
    minimum = smn, maximum = smx;
}

template <>
void MinimumMaximumComputationFunctor<ColorBGRA<double>>::Scan(const ColorBGRA<double> *data, std::uint64_t stride,
                                                               std::uint64_t width, std::uint64_t begin,
                                                               std::uint64_t end, double &minimum, double &maximum)
{
    __m128d mnBG = _mm_set1_pd(kInfinity), mxBG = _mm_set1_pd(-kInfinity);
    double mnR = kInfinity, mxR = -kInfinity;
    for (std::uint64_t y = begin; y < end; ++y) {
        const ColorBGRA<double> *row = data + y * stride;
        for (std::uint64_t x = 0; x < width; ++x) {
            const __m128d bg = _mm_loadu_pd(&row[x].b);
            mnBG = Min(bg, mnBG), mxBG = Max(bg, mxBG);
            Update(row[x].r, mnR, mxR);
        }
    }
    alignas(16) double lanesMin[2], lanesMax[2];
    _mm_store_pd(lanesMin, mnBG);
    _mm_store_pd(lanesMax, mxBG);
    for (int i = 0; i < 2; ++i)
        Merge(lanesMin[i], lanesMax[i], mnR, mxR);
    minimum = mnR, maximum = mxR;
}

namespace {

template <class T> MinimumMaximum Compute(const Image2DBase &image)
{
    const Image2DLock<const T> lock = image.Lock<T>(LockReadOnly);
    const std::uint64_t width = lock.Width(), height = lock.Height();
    std::vector<double> minima(8, kInfinity), maxima(8, -kInfinity);
    if (width != 0 && height != 0)
        ParallelLoop::For(height, [&](unsigned worker, std::uint64_t begin, std::uint64_t end) {
            if (end > lock.Rows())
                throw Exception("MinimumMaximumComputationFunctor: row index outside the image");
            MinimumMaximumComputationFunctor<T>::Scan(lock.Data(), lock.Stride(), width, begin, end, minima[worker],
                                                      maxima[worker]);
        });
    MinimumMaximum result{kInfinity, -kInfinity, false};
    for (std::size_t i = 0; i < minima.size(); ++i)
        Merge(minima[i], maxima[i], result.minimum, result.maximum);
    result.found = result.minimum <= result.maximum;
    return result;
}

} // namespace

MinimumMaximum ComputeMinimumMaximum(const Image2DBase &image)
{
    switch (image.GetColorType()) {
    case ColorType::Float32: return Compute<float>(image);
    case ColorType::Float64: return Compute<double>(image);
    case ColorType::BGRAFloat32: return Compute<ColorBGRA<float>>(image);
    case ColorType::BGRAFloat64: return Compute<ColorBGRA<double>>(image);
    default: throw Exception("ComputeMinimumMaximum: unknown color type");
    }
}

} // namespace Brintavolex::Data
