#pragma once

// The toolbar icons, drawn by tools/make_icons.py at build time and linked in
// as pixels: looked up by the bitmap file name the commands name.

#include "Data/api/Image2D.h"
#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::GUI {

struct IconPixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t scale = 1; // the display scale drawn for: 1 (100 %) or 2 (200 %)
    // Straight (not premultiplied) B, G, R, A; rows top-down, width * 4 bytes
    // each; static, never freed.
    const std::uint8_t *bgra = nullptr;
};

// Pixels of an icon at 100 % display scale; at 200 % they are twice as large.
inline constexpr std::int32_t IconSizeAtScale1 = 24;

// The icon of fileName ("IconOpen.bmp", letter case ignored) drawn for the
// display scale nearest to scale; other scales are left to the caller.
// Two-state buttons have an "...Active.bmp" twin for their on state. An
// unknown name throws Exception naming it.
IconPixels GetIcon(StringExpr fileName, double scale);

// The same as an image for buttons: BGRA 8-bit over the static pixels.
SharedPtr<Data::Image2DBase> GetIconImage(StringExpr fileName, double scale);

// Every icon's file name, once each, in drawing order.
std::vector<String> GetIconNames();

} // namespace Brintavolex::GUI
