// Bins, graphs and windowed display bytes of images of many pixel types,
// and BMP files of the 8-bit ones; the Python reference checks them against
// numpy and Pillow.
//
// Input (little-endian): "BRHG", u32 image count, u32 window count, then
// windows as two doubles (brightness, contrast), then per image: i32 color
// type, u32 width, u32 height, u32 has representation, four doubles (user
// minimum, user maximum, pixel minimum, pixel maximum), the pixels.
// Output per image: 256 x 4 doubles of counts, two doubles of the bins'
// range, graphs (256 x 40 for linear/absolute, linear/relative, log/absolute,
// log/relative, then 512 x 40 log/relative) as B, G, R, A bytes, then per
// window the windowed copy's bytes (1 per grey pixel, 4 per colour pixel).
// The 8-bit images are also written to WORKDIR/image<i>.bmp.

#include "Data/api/BmpEncoder.h"
#include "Data/api/Image2D.h"
#include "Data/api/UserRepresentation.h"
#include "PlanoscopeWidget/api/BrightnessContrast.h"
#include "PlanoscopeWidget/api/Histogram.h"
#include "../support/InputFile.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Brintavolex;
using namespace Brintavolex::ImageView;
using Brintavolex::Reference::ReadAll, Brintavolex::Reference::ReadPicture, Brintavolex::Reference::Reader;

namespace {

constexpr std::uint32_t kGraphHeight = 40;

void Write(FILE *out, const void *data, std::size_t bytes)
{
    if (bytes && std::fwrite(data, 1, bytes, out) != bytes)
        throw std::runtime_error("cannot write output");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s images.bin out.bin workdir\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<unsigned char> data = ReadAll(argv[1]);
        Reader in{data};
        if (std::memcmp(in.Bytes(4), "BRHG", 4) != 0)
            throw std::runtime_error("not an image file");
        const auto count = in.Get<std::uint32_t>(), windowCount = in.Get<std::uint32_t>();
        std::vector<DisplayWindow> windows;
        for (std::uint32_t i = 0; i < windowCount; ++i) {
            const double b = in.Get<double>(), c = in.Get<double>();
            windows.push_back(WindowFromControls(b, c));
        }
        FILE *out = std::fopen(argv[2], "wb");
        if (!out)
            throw std::runtime_error("cannot write output");
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto type = static_cast<Data::ColorType>(in.Get<std::int32_t>());
            const auto w = in.Get<std::uint32_t>(), h = in.Get<std::uint32_t>();
            const auto hasRepresentation = in.Get<std::uint32_t>();
            double range[4];
            for (double &r : range)
                r = in.Get<double>();
            SharedPtr<Data::Image2DBase> image = ReadPicture(in, type, w, h);
            if (hasRepresentation)
                Data::SetImageUserRepresentation(
                    *image, MakeShared<Data::ImageUserRepresentationFromMinMaxValues>(range[0], range[1], range[2],
                                                                                      range[3]));
            const HistogramBins bins = HistogramComputation(image).Bins();
            Write(out, bins.counts.data(), sizeof bins.counts);
            const double binRange[2] = {bins.userMinimum, bins.userMaximum};
            Write(out, binRange, sizeof binRange);
            for (auto scaling : {HistogramScaling::Linear, HistogramScaling::Log10})
                for (auto normalization : {HistogramNormalization::Absolute, HistogramNormalization::Relative}) {
                    const auto graph = UpdateHistogramFromBins(bins, 256, kGraphHeight, scaling, normalization);
                    Write(out, graph.data(), graph.size());
                }
            const auto wide = UpdateHistogramFromBins(bins, 512, kGraphHeight, HistogramScaling::Log10,
                                                      HistogramNormalization::Relative);
            Write(out, wide.data(), wide.size());
            for (const DisplayWindow &window : windows) {
                const SharedPtr<Data::Image2DBase> shown = ApplyDisplayWindow(*image, window);
                const unsigned shownSize = Data::PixelSize(shown->GetColorType());
                Data::DispatchColorType(shown->GetColorType(), [&](auto tag) {
                    using P = typename decltype(tag)::type;
                    const auto lock = shown->LockConst<P>();
                    for (std::uint32_t y = 0; y < h; ++y)
                        Write(out, lock.Row(y), std::size_t(w) * shownSize);
                });
            }
            if (type == Data::ColorType::UInt8 || type == Data::ColorType::BGRAUInt8) {
                const std::string bmp = Data::EncodeBmp(*image);
                const std::string path = std::string(argv[3]) + "/image" + std::to_string(i) + ".bmp";
                FILE *file = std::fopen(path.c_str(), "wb");
                if (!file)
                    throw std::runtime_error("cannot write " + path);
                Write(file, bmp.data(), bmp.size());
                std::fclose(file);
            }
        }
        std::fclose(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
