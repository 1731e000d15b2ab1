// Writes and reads four-component JPEG files with libjpeg, for the JPEG
// decoder's references (cjpeg and djpeg have no CMYK input or output):
//   jpeg_cmyk_cli write cmyk|ycck WIDTH HEIGHT IN.cmyk OUT.jpg
//   jpeg_cmyk_cli read IN.jpg OUT.cmyk   (float DCT, no fancy upsampling)
// .cmyk files hold 8-bit C, M, Y, K rows. libjpeg writes the Adobe segment
// itself and stores the samples as given (Adobe's inverted convention).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

int Write(bool ycck, JDIMENSION width, JDIMENSION height, const char *in, const char *out)
{
    std::vector<JSAMPLE> samples(std::size_t(width) * height * 4);
    std::FILE *source = std::fopen(in, "rb");
    if (!source || std::fread(samples.data(), 1, samples.size(), source) != samples.size())
        return 1;
    std::fclose(source);
    std::FILE *target = std::fopen(out, "wb");
    if (!target)
        return 1;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, target);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, ycck ? JCS_YCCK : JCS_CMYK);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < height) {
        JSAMPROW row = &samples[std::size_t(info.next_scanline) * width * 4];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(target) == 0 ? 0 : 1;
}

int Read(const char *in, const char *out)
{
    std::FILE *source = std::fopen(in, "rb");
    std::FILE *target = std::fopen(out, "wb");
    if (!source || !target)
        return 1;
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, source);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_CMYK;
    info.dct_method = JDCT_FLOAT;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    std::vector<JSAMPLE> row(std::size_t(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        std::fwrite(row.data(), 1, row.size(), target);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(source);
    return std::fclose(target) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 7 && std::strcmp(argv[1], "write") == 0)
        return Write(std::strcmp(argv[2], "ycck") == 0, JDIMENSION(std::atoi(argv[3])), JDIMENSION(std::atoi(argv[4])),
                     argv[5], argv[6]);
    if (argc == 4 && std::strcmp(argv[1], "read") == 0)
        return Read(argv[2], argv[3]);
    std::fputs("usage: jpeg_cmyk_cli write cmyk|ycck WIDTH HEIGHT IN OUT | read IN OUT\n", stderr);
    return 2;
}
