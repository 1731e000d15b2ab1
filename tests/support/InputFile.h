#pragma once

// The input files of the reference programs: whole files read at once and
// taken apart as little-endian values.
#include "Data/api/Image2D.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace Brintavolex::Reference {

inline std::vector<unsigned char> ReadAll(const char *path)
{
    std::vector<unsigned char> data;
    FILE *f = std::fopen(path, "rb");
    if (!f)
        throw std::runtime_error("cannot read input");
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

struct Reader {
    const std::vector<unsigned char> &data;
    std::size_t at = 0;
    const unsigned char *Bytes(std::size_t n)
    {
        if (n > data.size() - at)
            throw std::runtime_error("input truncated");
        at += n;
        return data.data() + at - n;
    }
    template <class T> T Get()
    {
        T value;
        std::memcpy(&value, Bytes(sizeof(T)), sizeof(T));
        return value;
    }
};

// A picture stored as TYPE WIDTH HEIGHT followed by its rows, unpadded.
inline SharedPtr<Data::Image2DBase> ReadPicture(Reader &in, Data::ColorType type, std::uint32_t w, std::uint32_t h)
{
    SharedPtr<Data::Image2DBase> image = Data::CreateImage2D(type);
    image->Allocate(w, h);
    const std::size_t row = std::size_t(w) * Data::PixelSize(type);
    const unsigned char *pixels = in.Bytes(row * h);
    Data::DispatchColorType(type, [&](auto tag) {
        using P = typename decltype(tag)::type;
        auto lock = image->Lock<P>();
        for (std::uint32_t y = 0; y < h; ++y)
            std::memcpy(lock.Row(y), pixels + y * row, row);
    });
    return image;
}

} // namespace Brintavolex::Reference
