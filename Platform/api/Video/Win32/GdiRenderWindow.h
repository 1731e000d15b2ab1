#pragma once

#include "Platform/api/Video/Context.h"

#include <windows.h>

namespace Brintavolex::Platform::Video::Win32 {

// Shows software frames in a window: SetDIBitsToDevice into the paint device
// context, or UpdateLayeredWindow for a layered window (per-pixel alpha).
class GdiRenderWindow final : public RenderWindow {
public:
    explicit GdiRenderWindow(HWND window) : _window(window) {}
    // The device context of the paint in progress (null: the window's own).
    void SetPaintDC(HDC dc) noexcept { _paintDC = dc; }
    bool PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height) override;
    bool IsLayered() const override;

private:
    bool PresentLayered(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height);
    HWND _window;
    HDC _paintDC = nullptr;
};

} // namespace Brintavolex::Platform::Video::Win32
