#include "SyntheticPhoto.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <random>
#include <vector>

namespace Brintavolex::Bench {

std::string MakePhotoJpeg(std::uint32_t width, std::uint32_t height, bool progressive)
{
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    std::mt19937 random(3);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t *p = &rgb[(std::size_t(y) * width + x) * 3];
            const int noise = int(random() % 9) - 4;
            const int texture = ((x / 7 + y / 5) % 13) * 3;
            p[0] = std::uint8_t(std::clamp(int(x * 200 / width) + texture + noise, 0, 255));
            p[1] = std::uint8_t(std::clamp(int(y * 180 / height) + int((x * y) >> 14) % 40 + noise, 0, 255));
            p[2] = std::uint8_t(std::clamp(128 + int((x ^ y) % 61) - 30 + noise, 0, 255));
        }
    jpeg_compress_struct c{};
    jpeg_error_mgr error{};
    c.err = jpeg_std_error(&error);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < height) {
        JSAMPROW row = &rgb[std::size_t(c.next_scanline) * width * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string file(reinterpret_cast<const char *>(out), size);
    std::free(out);
    return file;
}

} // namespace Brintavolex::Bench
