#include "this/src/Cli/CliPictures.h"

#include "Data/api/DisplayBytes.h"
#include "Data/api/PngEncoder.h"

#include <bit>
#include <string_view>

namespace Brintavolex::Cli {

// Samples go out as they lie in memory.
static_assert(std::endian::native == std::endian::little, ".raw files are little-endian");

std::string RawLayout(Data::ColorType type)
{
    std::string layout;
    Data::DispatchColorType<true>(type, [&](auto tag) {
        using P = typename decltype(tag)::type;
        using C = typename Data::ChannelOf<P>::type;
        layout = Data::IsBGRA<P>::value ? "B,G,R,A" : Data::IsRGBA<P>::value ? "R,G,B,A" : "grey";
        layout += std::string(" of ") + Data::ColorTypeOf<C>::name;
    });
    return layout.empty() ? "unknown" : layout;
}

std::string PngOf(const Data::Image2DBase &image)
{
    switch (image.GetColorType()) {
    case Data::ColorType::UInt8:
    case Data::ColorType::UInt16:
    case Data::ColorType::BGRAUInt8:
    case Data::ColorType::BGRAUInt16: return Data::EncodePng(image);
    default: break;
    }
    using Shown = Data::ColorBGRA<std::uint8_t>;
    Data::Image2D<Shown> shown;
    shown.Allocate(image.GetWidth(), image.GetHeight());
    {
        const auto lock = shown.Lock<Shown>(Data::LockWritable);
        if (!Data::ConvertToDisplayBytes(image, reinterpret_cast<std::uint8_t *>(lock.Data()),
                                         std::int64_t(lock.Stride() * sizeof(Shown)))) {
            const char *name = Data::ColorTypeName(image.GetColorType());
            throw Exception(String("convert: pixel type ") + (name ? name : "unknown") +
                            " has no display mapping; write .raw instead");
        }
    }
    return Data::EncodePng(shown);
}

void WriteRaw(const Data::Image2DBase &image, BinaryFile &file)
{
    if (!Data::DispatchColorType<true>(image.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            const auto lock = image.LockConst<P>();
            for (std::uint64_t y = 0; y < lock.Height(); ++y)
                file.Write(std::string_view(reinterpret_cast<const char *>(lock.Row(y)), lock.Width() * sizeof(P)),
                           "convert");
        }))
        throw Exception("convert: unknown pixel type");
}

} // namespace Brintavolex::Cli
