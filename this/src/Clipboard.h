#pragma once

// What the system's clipboard offers to paste. The bytes are a copy taken
// while the clipboard was open: they outlive it and whatever is put on it
// afterwards.

#include "GUI/api/WindowPlatform.h"
#include "Root/api/SharedPtr.h"
#include "Root/api/String.h"

#include <cstdint>
#include <vector>

namespace Brintavolex {

struct ClipboardContent {
    // A device-independent bitmap without file header; empty when none.
    std::vector<std::uint8_t> dib;
    // The first file of a file list on the clipboard; empty when none.
    String file;
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Empty content when there is nothing to paste; a clipboard that cannot
    // be opened or read throws.
    virtual ClipboardContent Read(GUI::WindowHandle owner) = 0;
};

// A pasted bitmap's bytes are decoded only when its header is there whole and
// of a size the bitmap headers have: a larger size could make the decoder
// take the first bytes for a file header. Throws what is wrong.
void CheckPastedDib(const std::vector<std::uint8_t> &dib);
// "Clipboard.dib" in the current language: the DIB's name chooses the
// BMP decoder, which reads it without file header.
String PastedDibName();

// Win32: the system clipboard. Elsewhere one that is always empty.
SharedPtr<IClipboard> SystemClipboard();

} // namespace Brintavolex
