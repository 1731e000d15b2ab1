#pragma once

// An item that is a sequence of 2D pictures (frames, pages, the images of an
// index vector): the 2D viewer, with one slider column per index dimension
// at its left.

#include "PlanoscopeWidget/api/IViewerControl.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"
#include "PlanoscopeWidget/api/VerticalStreamSliderControl.h"

#include <vector>

namespace Brintavolex::ImageView {

class PlanoscopeStreamControl : public IViewerControl {
public:
    PlanoscopeStreamControl();
    ~PlanoscopeStreamControl() override;

    // Sliders for that many index dimensions (0: the 2D viewer alone). Kept
    // sliders keep their state and callbacks.
    void SetDimensionCount(std::size_t count);
    std::size_t DimensionCount() const noexcept { return _sliders.size(); }
    VerticalStreamSliderControl &Slider(std::size_t dimension) { return *_sliders.at(dimension); }

    PlanoscopeControlList &Composite() noexcept { return _composite; }
    const PlanoscopeControlList &Composite() const noexcept { return _composite; }

    // A missing image fails as the 2D viewer's does.
    void SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth = 1, double pixelHeight = 1,
                  std::uint16_t exifOrientation = 1) override;

    // The sliders' columns at the left, the 2D viewer in the rest.
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetVisible(bool visible) override;
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    void OnScaleChanged() override;

private:
    void LayOut();

    PlanoscopeControlList _composite;
    std::vector<SharedPtr<VerticalStreamSliderControl>> _sliders;
    GUI::Rect _laidOut;
    bool _haveLayout = false;
};

} // namespace Brintavolex::ImageView
