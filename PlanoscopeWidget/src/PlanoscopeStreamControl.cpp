#include "PlanoscopeWidget/api/PlanoscopeStreamControl.h"

#include "GUI/api/Panel.h"

#include <algorithm>

namespace Brintavolex::ImageView {

namespace {
// Lengths in units of the style's size metric.
constexpr double kColumnMargin = 2;
} // namespace

PlanoscopeStreamControl::PlanoscopeStreamControl() { Add(_composite); }

PlanoscopeStreamControl::~PlanoscopeStreamControl()
{
    // Stopped while attached, so that no timer outlives its slider.
    for (const SharedPtr<VerticalStreamSliderControl> &slider : _sliders) {
        slider->Pause();
        Remove(*slider);
    }
}

void PlanoscopeStreamControl::SetDimensionCount(std::size_t count)
{
    if (count == _sliders.size())
        return;
    while (_sliders.size() > count) {
        _sliders.back()->Pause();
        Remove(*_sliders.back());
        _sliders.pop_back();
    }
    while (_sliders.size() < count) {
        _sliders.push_back(MakeShared<VerticalStreamSliderControl>());
        Add(*_sliders.back());
    }
    _haveLayout = false;
    LayOut();
}

void PlanoscopeStreamControl::SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth,
                                       double pixelHeight, std::uint16_t exifOrientation)
{
    _composite.SetImage(image, pixelWidth, pixelHeight, exifOrientation);
}

void PlanoscopeStreamControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    Control::SetRect(x0, y0, x1, y1);
    LayOut();
}

void PlanoscopeStreamControl::SetVisible(bool visible)
{
    IViewerControl::SetVisible(visible);
    _composite.SetVisible(visible);
    for (const SharedPtr<VerticalStreamSliderControl> &slider : _sliders) {
        slider->SetVisible(visible);
        // A hidden stream does not go on playing.
        if (!visible)
            slider->Pause();
    }
}

void PlanoscopeStreamControl::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    IViewerControl::SetParent(parent, panel, gui);
    _haveLayout = false;
    LayOut();
}

void PlanoscopeStreamControl::OnScaleChanged()
{
    IViewerControl::OnScaleChanged();
    _haveLayout = false;
    LayOut();
}

void PlanoscopeStreamControl::LayOut()
{
    const GUI::Rect r = GetRect();
    if (_haveLayout && r == _laidOut)
        return;
    _haveLayout = true;
    _laidOut = r;
    const GUI::Panel *panel = GetPanel();
    const std::int32_t margin = panel ? panel->GUIUnit(kColumnMargin) : std::int32_t(kColumnMargin);
    const std::int32_t column = _sliders.empty() ? 0 : _sliders.front()->ColumnWidth();
    const std::int32_t columns = std::min(r.Width(), column * std::int32_t(_sliders.size()));
    _composite.SetRect(r.x0 + columns, r.y0, r.x1, r.y1);
    for (std::size_t k = 0; k < _sliders.size(); ++k) {
        const std::int32_t left = std::min(r.x1, r.x0 + column * std::int32_t(k));
        const std::int32_t right = std::min(r.x1, left + column);
        _sliders[k]->SetRect(std::min(right, left + margin), std::min(r.y1, r.y0 + margin),
                             std::max(left, right - margin), std::max(r.y0, r.y1 - margin));
    }
}

} // namespace Brintavolex::ImageView
