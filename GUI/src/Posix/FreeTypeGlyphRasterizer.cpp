#include "GUI/api/Font.h"
#include "Root/api/Exception.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>

namespace Brintavolex::GUI {

namespace {

// Headless runs draw text with the DejaVu faces of Debian's fonts-dejavu-core.
const char *FontFile(bool bold)
{
    return bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

class FreeTypeGlyphRasterizer final : public IGlyphRasterizer {
public:
    FreeTypeGlyphRasterizer(const FontDescription &description, std::int32_t pixelHeight)
    {
        if (FT_Init_FreeType(&_library))
            throw Exception("FreeTypeGlyphRasterizer: FT_Init_FreeType failed");
        if (FT_New_Face(_library, FontFile(description.bold), 0, &_face)) {
            FT_Done_FreeType(_library);
            throw Exception(String("FreeTypeGlyphRasterizer: cannot open ") + FontFile(description.bold));
        }
        // The cell height is the pixel height, as a GDI font of negative height.
        FT_Set_Pixel_Sizes(_face, 0, static_cast<FT_UInt>(pixelHeight));
        _ascent = static_cast<std::int32_t>((_face->size->metrics.ascender + 63) >> 6);
        _descent = static_cast<std::int32_t>((-_face->size->metrics.descender + 63) >> 6);
    }
    ~FreeTypeGlyphRasterizer() override
    {
        FT_Done_Face(_face);
        FT_Done_FreeType(_library);
    }

    std::int32_t Ascent() const override { return _ascent; }
    std::int32_t Descent() const override { return _descent; }
    std::int32_t LineHeight() const override { return _ascent + _descent; }

    bool RasterizeGlyph(std::uint8_t code, GlyphBitmap &glyph) override
    {
        glyph = GlyphBitmap{};
        const char16_t unit = Windows1252ToUTF16[code];
        const FT_UInt index = FT_Get_Char_Index(_face, unit);
        if (!index || FT_Load_Glyph(_face, index, FT_LOAD_DEFAULT) ||
            FT_Render_Glyph(_face->glyph, FT_RENDER_MODE_NORMAL))
            return false;
        const FT_GlyphSlot slot = _face->glyph;
        const FT_Bitmap &bitmap = slot->bitmap;
        const auto advance = static_cast<std::int32_t>((slot->advance.x + 32) >> 6);
        glyph.width = bitmap.width;
        glyph.height = bitmap.rows;
        glyph.left = slot->bitmap_left;
        glyph.top = _ascent - slot->bitmap_top;
        glyph.a = slot->bitmap_left;
        glyph.b = static_cast<std::int32_t>(bitmap.width);
        glyph.c = advance - glyph.a - glyph.b;
        glyph.coverage.resize(std::size_t(bitmap.width) * bitmap.rows);
        for (unsigned y = 0; y < bitmap.rows; ++y)
            std::memcpy(glyph.coverage.data() + std::size_t(y) * bitmap.width,
                        bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch, bitmap.width);
        return true;
    }

private:
    FT_Library _library = nullptr;
    FT_Face _face = nullptr;
    std::int32_t _ascent = 0, _descent = 0;
};

} // namespace

SharedPtr<IGlyphRasterizer> CreateGlyphRasterizer(const FontDescription &description, std::int32_t pixelHeight)
{
    return MakeShared<FreeTypeGlyphRasterizer>(description, pixelHeight);
}

} // namespace Brintavolex::GUI
