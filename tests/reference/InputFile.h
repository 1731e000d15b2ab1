#pragma once

// The input files of the reference programs: whole files read at once and
// taken apart as little-endian values.
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

} // namespace Brintavolex::Reference
