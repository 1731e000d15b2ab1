#pragma once

// The logical screen as images 0 to k leave it: each image drawn over the
// screen, clipped to it, after the disposal of the image before.
#include "Data/api/SceneItem.h"
#include "GIF/src/GIFStructure.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::GIF {

class FrameComposer {
public:
    // A canvas of width x height pixels (checked against the decode limit
    // by the caller), cleared to transparent black.
    FrameComposer(const Structure &structure, std::uint32_t width, std::uint32_t height);

    // Draws up to and including image index: onward from the last image
    // drawn when that lies before, else from a cleared canvas. A failure
    // leaves the composer cleared, ready for the next attempt.
    void DrawUpTo(BlockReader &in, std::size_t index, const SharedPtr<IProgress> &progress);

    // Pixels as 32-bit words: blue in the low byte, alpha in the high one,
    // so that they lie in memory as Data::ColorBGRA<std::uint8_t>.
    const std::uint32_t *Row(std::uint32_t y) const { return &_canvas[std::size_t(y) * _width]; }

private:
    struct Rect {
        std::uint32_t left = 0, top = 0, right = 0, bottom = 0;
        bool Empty() const noexcept { return left >= right || top >= bottom; }
    };
    Rect Clip(const ImageRecord &image) const;
    void Clear();
    void Draw(BlockReader &in, const ImageRecord &image);
    void Dispose(const ImageRecord &image);
    void LoadPalette(BlockReader &in, const ImageRecord &image);
    void DrawRow(const std::uint16_t *indices, const ImageRecord &image, const Rect &visible, std::uint32_t y);

    const Structure &_structure;
    const std::uint32_t _width, _height;
    std::vector<std::uint32_t> _canvas;
    // What the last image covered, when its disposal restores it.
    std::vector<std::uint32_t> _saved;
    std::size_t _drawn = 0; // images drawn on the canvas
    // The image's colours by index; 0 (transparent black) draws nothing.
    std::uint32_t _palette[kTableSize] = {};
    std::vector<std::uint16_t> _row;
};

} // namespace Brintavolex::GIF
