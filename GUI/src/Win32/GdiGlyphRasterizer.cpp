#include "GUI/api/Font.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Brintavolex::GUI {

namespace {

// Glyphs drawn white on black into a 32-bit DIB section; the green channel
// is the coverage.
class GdiGlyphRasterizer final : public IGlyphRasterizer {
public:
    GdiGlyphRasterizer(const FontDescription &description, std::int32_t pixelHeight)
    {
        _dc = CreateCompatibleDC(nullptr);
        if (!_dc)
            throw SystemErrorException("GdiGlyphRasterizer", "CreateCompatibleDC", GetLastError());
        const std::string face = String(description.face).ToStdString();
        _font = CreateFontA(-pixelHeight, 0, 0, 0, description.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                            ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, face.c_str());
        if (!_font) {
            DeleteDC(_dc);
            throw SystemErrorException("GdiGlyphRasterizer", "CreateFontA", GetLastError());
        }
        _oldFont = SelectObject(_dc, _font);
        OUTLINETEXTMETRICA metrics{};
        if (GetOutlineTextMetricsA(_dc, sizeof(metrics), &metrics)) {
            _ascent = metrics.otmTextMetrics.tmAscent;
            _descent = metrics.otmTextMetrics.tmDescent;
        } else {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("GetOutlineTextMetricsA");
            TEXTMETRICA tm{};
            GetTextMetricsA(_dc, &tm);
            _ascent = tm.tmAscent;
            _descent = tm.tmDescent;
        }
        if (!GetCharABCWidthsA(_dc, 0, 255, _abc)) {
            // Bitmap fonts have no ABC widths: plain advances instead.
            BRINTAVOLEX_LOG_SYSTEM_ERROR("GetCharABCWidthsA");
            INT widths[256] = {};
            GetCharWidth32A(_dc, 0, 255, widths);
            for (int i = 0; i < 256; ++i)
                _abc[i] = ABC{0, static_cast<UINT>(std::max(widths[i], 0)), 0};
        }
        SetTextColor(_dc, RGB(255, 255, 255));
        SetBkColor(_dc, RGB(0, 0, 0));
        SetBkMode(_dc, OPAQUE);
        SetTextAlign(_dc, TA_TOP | TA_LEFT);
    }
    ~GdiGlyphRasterizer() override
    {
        SelectObject(_dc, _oldFont);
        if (_bitmap) {
            SelectObject(_dc, _oldBitmap);
            DeleteObject(_bitmap);
        }
        DeleteObject(_font);
        DeleteDC(_dc);
    }

    std::int32_t Ascent() const override { return _ascent; }
    std::int32_t Descent() const override { return _descent; }
    std::int32_t LineHeight() const override { return _ascent + _descent; }

    bool RasterizeGlyph(std::uint8_t code, GlyphBitmap &glyph) override
    {
        glyph = GlyphBitmap{};
        const ABC &abc = _abc[code];
        glyph.a = abc.abcA;
        glyph.b = static_cast<std::int32_t>(abc.abcB);
        glyph.c = abc.abcC;
        const std::int32_t pad = 2;
        const std::int32_t w = glyph.b + 2 * pad, h = _ascent + _descent;
        if (glyph.b <= 0 || h <= 0)
            return true;
        if (!EnsureBitmap(w, h))
            return false;
        std::memset(_bits, 0, std::size_t(_bitmapWidth) * _bitmapHeight * 4);
        const char text = static_cast<char>(code);
        if (!TextOutA(_dc, pad - glyph.a, 0, &text, 1)) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("TextOutA");
            return false;
        }
        GdiFlush();
        glyph.width = static_cast<std::uint32_t>(w);
        glyph.height = static_cast<std::uint32_t>(h);
        glyph.left = glyph.a - pad;
        glyph.top = 0;
        glyph.coverage.resize(std::size_t(w) * h);
        const auto *pixels = static_cast<const std::uint8_t *>(_bits);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x)
                glyph.coverage[std::size_t(y) * w + x] = pixels[(std::size_t(y) * _bitmapWidth + x) * 4 + 1];
        return true;
    }

private:
    bool EnsureBitmap(std::int32_t w, std::int32_t h)
    {
        if (_bitmap && w <= _bitmapWidth && h <= _bitmapHeight)
            return true;
        if (_bitmap) {
            SelectObject(_dc, _oldBitmap);
            DeleteObject(_bitmap);
            _bitmap = nullptr;
        }
        _bitmapWidth = std::max(w, 64);
        _bitmapHeight = std::max(h, 32);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = _bitmapWidth;
        info.bmiHeader.biHeight = -_bitmapHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        _bitmap = CreateDIBSection(_dc, &info, DIB_RGB_COLORS, &_bits, nullptr, 0);
        if (!_bitmap) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("CreateDIBSection");
            return false;
        }
        _oldBitmap = SelectObject(_dc, _bitmap);
        return true;
    }

    HDC _dc = nullptr;
    HFONT _font = nullptr;
    HGDIOBJ _oldFont = nullptr;
    HBITMAP _bitmap = nullptr;
    HGDIOBJ _oldBitmap = nullptr;
    void *_bits = nullptr;
    std::int32_t _bitmapWidth = 0, _bitmapHeight = 0;
    std::int32_t _ascent = 0, _descent = 0;
    ABC _abc[256] = {};
};

} // namespace

SharedPtr<IGlyphRasterizer> CreateGlyphRasterizer(const FontDescription &description, std::int32_t pixelHeight)
{
    return MakeShared<GdiGlyphRasterizer>(description, pixelHeight);
}

} // namespace Brintavolex::GUI
