#include "Data/api/DisplayBytes.h"

#include "Data/api/Image2D.h"

namespace Brintavolex::Data {

bool ConvertToDisplayBytes(const Image2DBase &image, std::uint8_t *out, std::int64_t pitch)
{
    return DispatchColorType(image.GetColorType(), [&](auto tag) {
        using P = typename decltype(tag)::type;
        const Image2DLock<const P> lock = image.LockConst<P>();
        for (std::uint64_t y = 0; y < lock.Height(); ++y) {
            const P *row = lock.Row(y);
            std::uint8_t *target = out + std::int64_t(y) * pitch;
            for (std::uint64_t x = 0; x < lock.Width(); ++x, target += 4)
                DisplayBytes(row[x], target);
        }
    });
}

} // namespace Brintavolex::Data
