#pragma once

// The distribution of an image's values over 256 bins of its user range,
// and the graph the histogram panel shows of it.

#include "Data/api/Image2D.h"
#include "Root/api/Function.h"
#include "Root/api/SharedPtr.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Brintavolex::ImageView {

constexpr unsigned kHistogramBins = 256;
// Grey images count in channel 0; colour images count B, G and R in
// channels 0, 1 and 2 (one histogram per channel, not of luminance), never alpha.
constexpr unsigned kHistogramChannels = 4;
// Bin of a user value u: integer part of (u - lo) * kBinScale / (hi - lo).
constexpr double kBinScale = 255.999;

enum class HistogramScaling { Linear, Log10 };
enum class HistogramNormalization { Absolute, Relative };

struct HistogramBins {
    std::array<std::array<double, kHistogramChannels>, kHistogramBins> counts{};
    unsigned channels = 0;        // 1 for grey, 3 for colour, 0 before a computation
    std::uint64_t pixelCount = 0; // width x height
    double userMinimum = 0, userMaximum = 1; // the range the bins span
};

// Counts the values of an image. Every value is taken as a user value (the
// image's representation, or the pixel type's fixed one): values outside the
// user range go to the first or last bin, NaN is skipped. A range of no
// width counts as one unit wide. Rows are shared among the parallel loop's
// workers.
class HistogramComputation {
public:
    // Throws "HistogramComputation: inputImage is nullptr" without an image;
    // "unknown color type" for the RGBA types.
    explicit HistogramComputation(const SharedPtr<Data::Image2DBase> &inputImage);
    const HistogramBins &Bins() const noexcept { return _bins; }

    // The counting of one pixel type.
    template <class T> struct UpdateHistogramHelper {
        static void Update(const Data::Image2DBase &image, HistogramBins &bins);
    };

private:
    HistogramBins _bins;
};

// The graph: width 256 (a column per bin) or 512 (two per bin) by height
// pixels, B, G, R, A rows top-down, opaque black under the bars. Each
// channel fills its bar from the bottom up to f x count pixels (a partly
// filled top pixel in between): grey in white, colour channels in blue,
// green and red, which add up where they overlap. Absolute mode measures
// against the pixel count, relative mode against the highest count;
// logarithmic mode takes log10(count + 1) of both.
std::vector<std::uint8_t> UpdateHistogramFromBins(const HistogramBins &bins, std::uint32_t width,
                                                  std::uint32_t height, HistogramScaling scaling,
                                                  HistogramNormalization normalization);

// What the histogram panel binds to: the image's bins, the two modes and a
// change notification (a new image or mode: redraw the graph).
class HistogramModel {
public:
    // Null clears the bins.
    void SetImage(const SharedPtr<Data::Image2DBase> &image);
    const HistogramBins &Bins() const noexcept { return _bins; }

    HistogramScaling Scaling() const noexcept { return _scaling; }
    void SetScaling(HistogramScaling scaling);
    HistogramNormalization Normalization() const noexcept { return _normalization; }
    void SetNormalization(HistogramNormalization normalization);

    std::vector<std::uint8_t> Graph(std::uint32_t width, std::uint32_t height) const
    {
        return UpdateHistogramFromBins(_bins, width, height, _scaling, _normalization);
    }
    Function2<void()> &ChangeListener() noexcept { return _listener; }

private:
    HistogramBins _bins;
    HistogramScaling _scaling = HistogramScaling::Linear;
    HistogramNormalization _normalization = HistogramNormalization::Relative;
    Function2<void()> _listener;
};

} // namespace Brintavolex::ImageView
