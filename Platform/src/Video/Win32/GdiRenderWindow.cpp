#include "Platform/api/Video/Win32/GdiRenderWindow.h"

#include "Platform/api/ErrorLog.h"

#include <cstring>

namespace Brintavolex::Platform::Video::Win32 {

namespace {
BITMAPINFO Header(std::uint32_t width, std::uint32_t height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = LONG(width);
    info.bmiHeader.biHeight = -LONG(height); // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = width * height * 4;
    return info;
}
} // namespace

bool GdiRenderWindow::IsLayered() const
{
    return _window && (GetWindowLongPtrW(_window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

bool GdiRenderWindow::PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height)
{
    if (!width || !height)
        return true;
    if (IsLayered())
        return PresentLayered(pixels, width, height);
    HDC dc = _paintDC ? _paintDC : GetDC(_window);
    if (!dc) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetDC");
        return false;
    }
    BITMAPINFO info = Header(width, height);
    const int lines = SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels, &info, DIB_RGB_COLORS);
    const DWORD error = GetLastError();
    if (!_paintDC)
        ReleaseDC(_window, dc);
    if (lines == 0) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("SetDIBitsToDevice", error);
        return false;
    }
    return true;
}

bool GdiRenderWindow::PresentLayered(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height)
{
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("CreateCompatibleDC");
        return false;
    }
    BITMAPINFO info = Header(width, height);
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("CreateDIBSection");
        DeleteDC(memory);
        return false;
    }
    bool ok = true;
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (!old || old == HGDI_ERROR) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("SelectObject");
        ok = false;
    } else {
        // The frame is premultiplied B, G, R, A, as per-pixel alpha wants it.
        std::memcpy(bits, pixels, std::size_t(width) * height * 4);
        GdiFlush();
        POINT source{0, 0};
        SIZE size{LONG(width), LONG(height)};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (!UpdateLayeredWindow(_window, nullptr, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA)) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("UpdateLayeredWindow");
            ok = false;
        }
        SelectObject(memory, old);
    }
    if (!DeleteObject(bitmap)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("DeleteObject");
        ok = false;
    }
    if (!DeleteDC(memory)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("DeleteDC");
        ok = false;
    }
    return ok;
}

} // namespace Brintavolex::Platform::Video::Win32
