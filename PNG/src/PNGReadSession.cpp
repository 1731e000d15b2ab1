#include "PNG/src/PNGReadSession.h"

#include "PNG/src/PNGFormat.h"
#include "Platform/api/DecodeLimit.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdlib>

namespace Brintavolex::PNG {

ReadSession::ReadSession(IStream &stream, bool keepUnknownChunks) : _stream(stream)
{
    std::uint8_t signature[kSignatureSize] = {};
    _stream.seek(0);
    if (_stream.size() < kSignatureSize)
        throw Exception("Not a PNG file");
    _stream.read(signature, kSignatureSize);
    if (!std::equal(signature, signature + kSignatureSize, kSignature))
        throw Exception("Not a PNG file");

    // Warnings go to libpng's own handler.
    _png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, this, Error, nullptr, nullptr, Allocate, Free);
    if (!_png)
        throw Exception();
    _info = png_create_info_struct(_png);
    if (!_info) {
        png_destroy_read_struct(&_png, nullptr, nullptr);
        throw Exception();
    }
    png_set_read_fn(_png, this, Read);
    png_set_sig_bytes(_png, kSignatureSize);
    // A constructor that throws runs no destructor.
    try {
        if (!ReadInfo(keepUnknownChunks))
            Fail();
        png_uint_32 width = 0, height = 0;
        png_get_IHDR(_png, _info, &width, &height, &_bitDepth, &_colorType, nullptr, nullptr, nullptr);
        _width = width;
        _height = height;
        CheckDecodeLimit("PNGDecoder", _width, _height, kOutputChannels * (OutputBitDepth() / 8));
    } catch (...) {
        png_destroy_read_struct(&_png, &_info, nullptr);
        throw;
    }
}

namespace {

// libpng turns a too long ancillary chunk into a warning and still
// allocates the length the file claims (up to 2 GiB) before it reads. Its
// largest real allocations are a row (8 MB at its width limit) and a chunk
// within its 8 MB chunk limit; refusing more makes such a chunk one that is
// skipped, and a picture that needs more one that fails.
constexpr std::size_t kMostLibpngAllocates = std::size_t(32) << 20;

} // namespace

png_voidp ReadSession::Allocate(png_structp, png_alloc_size_t size)
{
    return size <= kMostLibpngAllocates ? std::malloc(size) : nullptr;
}

void ReadSession::Free(png_structp, png_voidp pointer) { std::free(pointer); }

ReadSession::~ReadSession() { png_destroy_read_struct(&_png, &_info, nullptr); }

void ReadSession::Read(png_structp png, png_bytep data, std::size_t length)
{
    auto *session = static_cast<ReadSession *>(png_get_io_ptr(png));
    bool failed = false;
    try {
        session->_stream.read(data, length);
    } catch (...) {
        session->_streamFailure = std::current_exception();
        failed = true;
    }
    // Outside the handler: the jump must leave no exception object behind.
    if (failed)
        png_error(png, "read error");
}

void ReadSession::Error(png_structp png, png_const_charp message)
{
    auto *session = static_cast<ReadSession *>(png_get_error_ptr(png));
    try {
        session->_message = message ? message : "";
    } catch (...) {
    }
    png_longjmp(png, 1);
}

void ReadSession::Fail()
{
    if (_streamFailure)
        std::rethrow_exception(_streamFailure);
    throw Exception(_message);
}

bool ReadSession::ReadInfo(bool keepUnknownChunks) noexcept
{
    if (setjmp(png_jmpbuf(_png)))
        return false;
    if (keepUnknownChunks)
        png_set_keep_unknown_chunks(_png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
    png_read_info(_png, _info);
    return true;
}

// The expansion (palette to RGB, transparency chunks to alpha, small grey
// samples to 8 bits), grey to RGB, BGR order and an opaque filler where the
// file has no alpha: every file ends as four samples per pixel.
bool ReadSession::SetUpBGRA(int &passes) noexcept
{
    if (setjmp(png_jmpbuf(_png)))
        return false;
    png_set_expand(_png);
    png_set_packing(_png);
    if (!(_colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(_png);
    png_set_bgr(_png);
    if (!(_colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(_png, _info, PNG_INFO_tRNS))
        png_set_filler(_png, 0xFFFF, PNG_FILLER_AFTER);
    if (_bitDepth == 16 && std::endian::native == std::endian::little)
        png_set_swap(_png);
    passes = png_set_interlace_handling(_png);
    png_read_update_info(_png, _info);
    return true;
}

bool ReadSession::ReadRow(png_bytep row) noexcept
{
    if (setjmp(png_jmpbuf(_png)))
        return false;
    png_read_row(_png, row, nullptr);
    return true;
}

void ReadSession::DecodeBGRA(std::uint8_t *rows, std::uint64_t rowStride, const SharedPtr<IProgress> &progress)
{
    int passes = 1;
    if (!SetUpBGRA(passes))
        Fail();
    const int depth = png_get_bit_depth(_png, _info);
    if (depth != 8 && depth != 16)
        throw Exception("unsupported bit_depth");
    if (png_get_channels(_png, _info) != kOutputChannels)
        throw Exception("color_type not supported");
    if (png_get_rowbytes(_png, _info) != std::uint64_t(_width) * kOutputChannels * (depth / 8))
        throw Exception("color_type not supported");
    const double total = double(passes) * _height;
    std::uint64_t done = 0;
    for (int pass = 0; pass < passes; ++pass)
        for (std::uint32_t y = 0; y < _height; ++y, ++done) {
            // A later pass adds to what the earlier ones left in the row.
            if (!ReadRow(rows + y * rowStride))
                Fail();
            if ((done & 63) == 0)
                ReportProgress(progress, double(done) / total);
        }
}

} // namespace Brintavolex::PNG
