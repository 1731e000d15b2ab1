#include "Data/api/ExifOrientation.h"

namespace Brintavolex::Data {

std::uint16_t ValidExifOrientation(std::uint32_t value) noexcept
{
    return value >= kExifOrientationAsStored && value <= kExifOrientationLast ? std::uint16_t(value)
                                                                              : kExifOrientationAsStored;
}

UprightTurn UprightTurnOf(std::uint16_t exifOrientation) noexcept
{
    // A transpose is a mirror and a quarter turn back; the transverse the
    // mirror and a quarter turn on.
    switch (ValidExifOrientation(exifOrientation)) {
    case 2: return {true, 0};
    case 3: return {false, 180};
    case 4: return {true, 180};
    case 5: return {true, 270};
    case 6: return {false, 90};
    case 7: return {true, 90};
    case 8: return {false, 270};
    default: return {false, 0};
    }
}

bool ExchangesExtents(std::uint16_t exifOrientation) noexcept
{
    const std::int32_t turn = UprightTurnOf(exifOrientation).clockwise;
    return turn == 90 || turn == 270;
}

namespace {
struct Point {
    std::int64_t x, y;
};

// The stored pixel that the upright picture shows at (x, y).
Point StoredPixelOf(std::int64_t x, std::int64_t y, UprightTurn turn, std::int64_t width, std::int64_t height)
{
    Point p{x, y};
    switch (turn.clockwise) {
    case 90: p = {y, height - 1 - x}; break;
    case 180: p = {width - 1 - x, height - 1 - y}; break;
    case 270: p = {width - 1 - y, x}; break;
    default: break;
    }
    if (turn.mirrored)
        p.x = width - 1 - p.x;
    return p;
}
} // namespace

SharedPtr<Image2DBase> UprightCopy(const Image2DBase &image, std::uint16_t exifOrientation)
{
    const UprightTurn turn = UprightTurnOf(exifOrientation);
    const bool exchanged = ExchangesExtents(exifOrientation);
    const std::uint64_t width = image.GetWidth(), height = image.GetHeight();
    SharedPtr<Image2DBase> upright = CreateImage2D(image.GetColorType());
    upright->Allocate(exchanged ? height : width, exchanged ? width : height);
    upright->SetScale(exchanged ? image.ScaleY() : image.ScaleX(), exchanged ? image.ScaleX() : image.ScaleY());
    upright->SetUserRepresentation(image.GetUserRepresentation());
    if (!DispatchColorType<true>(image.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            const Image2DLock<const P> from = image.LockConst<P>();
            const Image2DLock<P> to = upright->Lock<P>(LockWritable);
            const std::int64_t w = std::int64_t(width), h = std::int64_t(height);
            const std::int64_t stride = std::int64_t(from.Stride());
            // Along an upright row the stored pixel moves by one fixed step.
            const Point origin = StoredPixelOf(0, 0, turn, w, h), next = StoredPixelOf(1, 0, turn, w, h);
            const std::int64_t step = (next.y - origin.y) * stride + (next.x - origin.x);
            for (std::uint64_t y = 0; y < to.Height(); ++y) {
                const Point first = StoredPixelOf(0, std::int64_t(y), turn, w, h);
                std::int64_t source = first.y * stride + first.x;
                P *row = to.Row(y);
                for (std::uint64_t x = 0; x < to.Width(); ++x, source += step)
                    row[x] = from.Data()[source];
            }
        }))
        throw Exception("UprightCopy: unknown color type");
    return upright;
}

} // namespace Brintavolex::Data
