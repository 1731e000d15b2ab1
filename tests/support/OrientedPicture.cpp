#include "support/OrientedPicture.h"
#include "support/Pictures.h"

#include <cstring>

namespace Brintavolex::TestSupport {

PixelPosition StoredPixelOfUpright(std::uint16_t orientation, std::uint32_t w, std::uint32_t h, std::uint32_t x,
                                   std::uint32_t y)
{
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    case 8: return {w - 1 - y, x};
    default: return {x, y};
    }
}

PixelPosition UprightExtent(std::uint16_t orientation, std::uint32_t w, std::uint32_t h)
{
    return orientation >= 5 && orientation <= 8 ? PixelPosition{h, w} : PixelPosition{w, h};
}

SharedPtr<IImage2D> OrientedPicture(std::uint32_t w, std::uint32_t h, std::uint16_t orientation)
{
    auto picture = MakeShared<FunctionPicture<Data::ColorBGRA<std::uint8_t>>>(w, h, [](std::uint32_t x, std::uint32_t y) {
        return Data::ColorBGRA<std::uint8_t>{std::uint8_t(x), std::uint8_t(y), std::uint8_t(x * 7 + y * 13), 255};
    });
    picture->orientation = orientation;
    return picture;
}

namespace {
struct Decoder final : IDecoder {
    explicit Decoder(IStream &stream)
    {
        if (stream.size() != 7 || (stream.read(header, 7), std::memcmp(header, "EXO!", 4) != 0))
            throw Exception("not an .exo file");
    }
    std::uint64_t GetCount() override { return 1; }
    SharedPtr<ISceneItem> Get(std::uint64_t) override
    {
        return OrientedPicture(std::uint8_t(header[5]), std::uint8_t(header[6]), std::uint8_t(header[4]));
    }
    SharedPtr<IProperty> GetProperty() override { return nullptr; }
    char header[7] = {};
};

struct Factory final : DecoderFactory<Factory> {
    String GetName() override { return "oriented pictures"; }
    String GetExtensions() override { return "*.exo"; }
    TextPair GetFilterStrings() override { return {String("exo"), String("exo")}; }
    using CodecFactory::Create;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &) override
    {
        return MakeShared<Decoder>(*stream);
    }
};
} // namespace

std::string OrientedPictureFile(std::uint8_t orientation, std::uint8_t w, std::uint8_t h)
{
    static const bool registered = (AppendFactory(MakeShared<Factory>()), true);
    (void)registered;
    return std::string("EXO!") + char(orientation) + char(w) + char(h);
}

} // namespace Brintavolex::TestSupport
