#pragma once

#include "Data/api/SceneItem.h"
#include "Platform/api/Stream.h"

#include <png.h>

#include <cstdint>
#include <exception>
#include <string>

namespace Brintavolex::PNG {

// One run of libpng over a stream: the read and info structures, created
// here and destroyed with the session. libpng reports errors by longjmp;
// every libpng call runs in a member that sets the jump point and holds no
// C++ object across it, and the failure becomes an exception only after
// libpng has returned. A stream exception inside the read callback is kept
// and thrown again unchanged.
class ReadSession {
public:
    // Checks the signature ("Not a PNG file") and reads the chunks up to the
    // image data.
    explicit ReadSession(IStream &stream, bool keepUnknownChunks = false);
    ~ReadSession();
    ReadSession(const ReadSession &) = delete;
    ReadSession &operator=(const ReadSession &) = delete;

    png_structp Png() const noexcept { return _png; }
    png_infop Info() const noexcept { return _info; }
    std::uint32_t Width() const noexcept { return _width; }
    std::uint32_t Height() const noexcept { return _height; }
    // 8 or 16: the sample depth after the expansion.
    unsigned OutputBitDepth() const noexcept { return _bitDepth == 16 ? 16 : 8; }

    // Decodes the picture as blue, green, red, alpha samples of
    // OutputBitDepth bits in machine order, row y at rows + y * rowStride
    // bytes. Reads straight into those rows, interlaced files too.
    void DecodeBGRA(std::uint8_t *rows, std::uint64_t rowStride, const SharedPtr<IProgress> &progress);

private:
    static void Read(png_structp png, png_bytep data, std::size_t length);
    static png_voidp Allocate(png_structp png, png_alloc_size_t size);
    static void Free(png_structp png, png_voidp pointer);
    static void Error(png_structp png, png_const_charp message);
    bool ReadInfo(bool keepUnknownChunks) noexcept;
    bool SetUpBGRA(int &passes) noexcept;
    bool ReadRow(png_bytep row) noexcept;
    [[noreturn]] void Fail();

    IStream &_stream;
    png_structp _png = nullptr;
    png_infop _info = nullptr;
    std::exception_ptr _streamFailure;
    std::string _message;
    std::uint32_t _width = 0, _height = 0;
    int _bitDepth = 0, _colorType = 0;
};

} // namespace Brintavolex::PNG
