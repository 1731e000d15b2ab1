#include "PlanoscopeWidget/api/PlanoscopeControl.h"

#include "Data/api/ExifOrientation.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/src/PlanoscopeRGBColorInfo.h"
#include "PlanoscopeWidget/src/PlanoscopeRuler.h"
#include "Platform/api/ErrorLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Brintavolex::ImageView {

namespace {

// Virtual-key codes of the zoom keys: "+" and "-" on the main block and the
// number pad.
constexpr std::uint32_t kKeyPlus = 0xBB, kKeyAdd = 0x6B, kKeyMinus = 0xBD, kKeySubtract = 0x6D;

Platform::Video::RectI32 ToRect(const GUI::Rect &r) { return {r.x0, r.y0, r.x1, r.y1}; }

GUI::Rect Intersect(const GUI::Rect &a, const GUI::Rect &b)
{
    GUI::Rect r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
    if (r.x1 < r.x0)
        r.x1 = r.x0;
    if (r.y1 < r.y0)
        r.y1 = r.y0;
    return r;
}

bool IsMipMode(Resampling::EnumResamplingMode mode)
{
    return mode == Resampling::EnumResamplingMode::MipMapBilinear ||
           mode == Resampling::EnumResamplingMode::MipMapTrilinear;
}

} // namespace

Planoscope::Planoscope()
    : _ruler(std::make_unique<PlanoscopeRuler>()), _values(std::make_unique<PlanoscopeRGBColorInfo>())
{
    SetEnabled(true);
}

Planoscope::~Planoscope() = default;

Planoscope::ImageExtent Planoscope::Extent() const noexcept
{
    if (!_image)
        return {0, 0};
    return {double(_image->GetWidth()) * _pixelWidth, double(_image->GetHeight()) * _pixelHeight};
}

std::int32_t Planoscope::ShownRotation() const noexcept
{
    return (_rotation + Data::UprightTurnOf(_exifOrientation).clockwise) % 360;
}

bool Planoscope::Mirrored() const noexcept { return Data::UprightTurnOf(_exifOrientation).mirrored; }

void Planoscope::SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth, double pixelHeight,
                          std::uint16_t exifOrientation)
{
    _image = image;
    _windowed.Reset();
    _exifOrientation = Data::ValidExifOrientation(exifOrientation);
    _pixelWidth = (pixelWidth > 0 && std::isfinite(pixelWidth)) ? pixelWidth : 1;
    _pixelHeight = (pixelHeight > 0 && std::isfinite(pixelHeight)) ? pixelHeight : 1;
    _texture.Reset();
    _textureImage = nullptr;
    _ahead.reset();
    _kept.valid = false;
    _wheelDelta = 0;
    if (_fit)
        FitToWindow();
    else
        _pan = ClampPanning(_pan);
    RequestRepaint();
}

void Planoscope::ZoomChanged()
{
    _kept.valid = false;
    _zoomListener();
}

void Planoscope::SetZoom(double z)
{
    z = ClampZoom(z);
    _fit = false;
    if (z == _zoom)
        return;
    _zoom = z;
    ZoomChanged();
    if (!_dragging)
        _pan = ClampPanning(_pan);
    RequestRepaint();
}

void Planoscope::ZoomBySteps(double steps) { SetZoom(ZoomAfterSteps(_zoom, steps)); }

void Planoscope::ZoomAt(double steps, double dx, double dy)
{
    const double before = _zoom;
    const double after = ZoomAfterSteps(_zoom, steps);
    if (after == before) {
        _fit = false;
        return;
    }
    // The image point under the cursor stays under it.
    _pan.x += (before - after) * dx;
    _pan.y += (before - after) * dy;
    SetZoom(after);
}

void Planoscope::FitToWindow()
{
    const double z = ClampZoom(FittingZoom());
    _fit = true;
    if (z != _zoom) {
        _zoom = z;
        ZoomChanged();
    }
    _pan = ClampPanning(_pan);
    RequestRepaint();
}

double Planoscope::FittingZoom() const
{
    const GUI::Rect r = GetRect();
    const ImageExtent e = Extent();
    return FitZoom(e.width, e.height, r.Width(), r.Height(), ShownRotation());
}

void Planoscope::SetPan(Vec2 pan)
{
    _pan = _dragging ? pan : ClampPanning(pan);
    RequestRepaint();
}

Vec2 Planoscope::ClampPanning(Vec2 pan) const
{
    const GUI::Rect r = GetRect();
    const ImageExtent e = Extent();
    return ImageView::ClampPanning(pan, e.width, e.height, r.Width(), r.Height(), _zoom, ShownRotation());
}

void Planoscope::SetRotation(std::int32_t angle)
{
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270)
        throw Exception("Planoscope::ClampPanning: rotation angle must be in {0,90,180,270}");
    if (angle == _rotation)
        return;
    const std::int32_t before = ShownRotation();
    _rotation = angle;
    _pan = RotatePan(_pan, before, ShownRotation());
    _kept.valid = false;
    _zoomListener();
    if (_fit)
        FitToWindow();
    else if (!_dragging)
        _pan = ClampPanning(_pan);
    RequestRepaint();
}

void Planoscope::ShowRuler(bool show)
{
    _rulerShown = show;
    RequestRepaint();
}

void Planoscope::ShowRGBValues(bool show)
{
    _valuesShown = show;
    RequestRepaint();
}

void Planoscope::SetResamplingModes(Mode reduced, Mode atHundred, Mode magnified)
{
    _modes[0] = reduced;
    _modes[1] = atHundred;
    _modes[2] = magnified;
    _kept.valid = false;
    RequestRepaint();
}

Planoscope::Mode Planoscope::CurrentResamplingMode() const noexcept
{
    return ChooseResampling(_zoom, _modes[2], _modes[1], _modes[0]);
}

Platform::Video::RectI32 Planoscope::ImageRectangleOnScreen() const
{
    const GUI::Rect r = GetRect();
    const ImageExtent e = Extent();
    return ImageRectangle(e.width, e.height, ShownRotation(), _zoom, _pan, r.x0, r.y0, r.Width(), r.Height());
}

Vec2 Planoscope::ImagePointAt(double x, double y) const
{
    const GUI::Rect r = GetRect();
    const ImageExtent e = Extent();
    // The geometry knows turns only: it maps onto the mirrored picture.
    const Vec2 p =
        ImagePointAtScreen({x, y}, e.width, e.height, ShownRotation(), _zoom, _pan, r.x0, r.y0, r.Width(), r.Height());
    return {(Mirrored() ? e.width - p.x : p.x) / _pixelWidth, p.y / _pixelHeight};
}

Vec2 Planoscope::ScreenPointOf(Vec2 imagePoint) const
{
    const GUI::Rect r = GetRect();
    const ImageExtent e = Extent();
    const double x = imagePoint.x * _pixelWidth;
    return ScreenPointOfImage({Mirrored() ? e.width - x : x, imagePoint.y * _pixelHeight}, e.width, e.height,
                              ShownRotation(), _zoom, _pan, r.x0, r.y0, r.Width(), r.Height());
}

void Planoscope::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const GUI::Rect before = GetRect();
    ControlList::SetRect(x0, y0, x1, y1);
    if (GetRect() == before)
        return;
    _kept.valid = false;
    if (_fit)
        FitToWindow();
    else if (!_dragging)
        _pan = ClampPanning(_pan);
}

// ---- input ----

GUI::Control *Planoscope::OnMouseEnter(std::int32_t x, std::int32_t y)
{
    return IsEnabled() && GetRect().Contains(x, y) ? this : nullptr;
}

GUI::Control *Planoscope::OnMouseMove(std::int32_t x, std::int32_t y)
{
    if (_dragging) {
        // No clamping while the image follows the pointer.
        _pan.x -= _zoom * (x - _last.x);
        _pan.y -= _zoom * (y - _last.y);
        _last = {double(x), double(y)};
        RequestRepaint();
        return this;
    }
    return IsEnabled() && GetRect().Contains(x, y) ? this : nullptr;
}

GUI::Control *Planoscope::OnMouseLButtonDown(std::int32_t x, std::int32_t y)
{
    if (!IsEnabled())
        return nullptr;
    _dragging = true;
    _last = {double(x), double(y)};
    return this;
}

GUI::Control *Planoscope::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    if (_dragging) {
        _dragging = false;
        _pan = ClampPanning(_pan);
        RequestRepaint();
    }
    return GetRect().Contains(x, y) ? this : nullptr;
}

int Planoscope::OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y)
{
    if (!IsEnabled())
        return 0;
    // Touchpads and smooth wheels send parts of a notch (120): they add up
    // in wheel units, exactly, until a whole step is due.
    _wheelDelta += std::int16_t(std::uint16_t(word >> 16));
    const int steps = _wheelDelta / 120;
    _wheelDelta -= steps * 120;
    if (steps == 0)
        return 1;
    // The wheel comes in desktop coordinates; the view works in its panel's.
    const GUI::Panel *panel = GetPanel();
    const double px = panel ? x - panel->GetRect().x0 : x;
    const double py = panel ? y - panel->GetRect().y0 : y;
    const GUI::Rect r = GetRect();
    ZoomAt(steps, px - (r.x0 + r.Width() * 0.5), py - (r.y0 + r.Height() * 0.5));
    return 1;
}

bool Planoscope::OnKeyDown(std::uint32_t key, std::int64_t)
{
    if (!IsEnabled())
        return false;
    if (key == kKeyPlus || key == kKeyAdd) {
        if (CanZoomIn(_zoom))
            ZoomBySteps(1);
        return true;
    }
    if (key == kKeyMinus || key == kKeySubtract) {
        if (CanZoomOut(_zoom))
            ZoomBySteps(-1);
        return true;
    }
    return false;
}

// ---- drawing ----

bool Planoscope::DeleteContextObjects()
{
    _texture.Reset();
    _textureContext = nullptr;
    _textureImage = nullptr;
    _kept.valid = false;
    const bool resampling = _resampling.DeleteContextObjects();
    return ControlList::DeleteContextObjects() && resampling;
}

void Planoscope::SetDisplayWindow(std::optional<DisplayWindow> window)
{
    const auto same = [](const std::optional<DisplayWindow> &a, const std::optional<DisplayWindow> &b) {
        return a.has_value() == b.has_value() && (!a || (a->lo == b->lo && a->hi == b->hi));
    };
    if (same(window, _window))
        return;
    _window = window;
    _windowed.Reset();
    // A new copy may reuse the old one's address: the texture goes with it.
    _texture.Reset();
    _textureImage = nullptr;
    _kept.valid = false;
    RequestRepaint();
}

const SharedPtr<Data::Image2DBase> &Planoscope::ShownImage()
{
    if (!_image || !_window || ShowsAsStored(*_image, *_window))
        return _image;
    if (!_windowed)
        _windowed = ApplyDisplayWindow(*_image, *_window);
    return _windowed;
}

bool Planoscope::EnsureTexture(Platform::Video::Context &context)
{
    const bool mipMap = IsMipMode(CurrentResamplingMode());
    const SharedPtr<Data::Image2DBase> &shown = ShownImage();
    // A written picture needs a new texture: it keeps the opacity and mip levels of the old pixels.
    const std::uint64_t generation = shown->WriteGeneration();
    if (_texture && _textureContext == &context && _textureImage == shown.Get() && _textureGeneration == generation &&
        (_textureMipMap || !mipMap))
        return true;
    _texture = Platform::Video::CreateFromMemory(context.SharedFromThis<Platform::Video::Context>(), shown, mipMap);
    _textureContext = &context;
    _textureImage = shown.Get();
    _textureGeneration = generation;
    _textureMipMap = mipMap;
    _kept.valid = false;
    return bool(_texture);
}

void Planoscope::Draw()
{
    GUI::Panel *panel = GetPanel();
    Platform::Video::Context *context = panel ? panel->GetContext() : nullptr;
    if (!context || !IsVisible())
        return;
    if (_image && EnsureTexture(*context))
        DrawImage(*context);
    ControlList::Draw();

    // Ruler and pixel values lie over the picture (never in the kept frame).
    if (!_image || (!_rulerShown && !_valuesShown))
        return;
    const SharedPtr<GUI::Font> font = panel->GetFont(GUI::FontRole::Small);
    if (!font)
        return;
    GUI::QuadBatch overlay;
    const GUI::Rect area = GetRect();
    if (_valuesShown) {
        const Vec2 a = ImagePointAt(area.x0, area.y0), b = ImagePointAt(area.x1, area.y1);
        const double w = double(_image->GetWidth()), h = double(_image->GetHeight());
        const auto first = [](double u, double v) { return std::int64_t(std::floor(std::min(u, v))); };
        const auto last = [](double u, double v) { return std::int64_t(std::ceil(std::max(u, v))); };
        const std::int64_t x0 = std::max<std::int64_t>(0, first(a.x, b.x));
        const std::int64_t y0 = std::max<std::int64_t>(0, first(a.y, b.y));
        const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(w) - 1, last(a.x, b.x));
        const std::int64_t y1 = std::min<std::int64_t>(std::int64_t(h) - 1, last(a.y, b.y));
        _values->Build(overlay, *font, *_image, area, _zoom, x0, y0, x1, y1, [&](std::int64_t x, std::int64_t y) {
            const Vec2 p = ScreenPointOf({double(x), double(y)}), q = ScreenPointOf({double(x + 1), double(y + 1)});
            return GUI::Rect{std::int32_t(std::lround(std::min(p.x, q.x))), std::int32_t(std::lround(std::min(p.y, q.y))),
                             std::int32_t(std::lround(std::max(p.x, q.x))), std::int32_t(std::lround(std::max(p.y, q.y)))};
        });
    }
    if (_rulerShown)
        _ruler->Build(overlay, *font, area, _zoom / _pixelWidth, ShownRotation(), panel->GUIUnit(7),
                      [&](double x, double y) { return ImagePointAt(x, y); });
    const SharedPtr<Platform::Video::Context> shared = context->SharedFromThis<Platform::Video::Context>();
    overlay.Upload(shared);
    overlay.Draw();
    overlay.Release();
}

void Planoscope::DrawImage(Platform::Video::Context &context)
{
    const Platform::Video::RectI32 destination = ImageRectangleOnScreen();
    const Mode mode = CurrentResamplingMode();
    // Strips start their spans elsewhere than a whole frame, so filtered
    // modes may differ in the last bit; Nearest could pick a neighbouring
    // texel along a strip's edge, and it is cheap to draw in full.
    if (_reuseEnabled && mode != Mode::Nearest && DrawReusingLastFrame(context, destination, mode)) {
        ++_reusedFrames;
        return;
    }
    if (_ahead && DrawResampledAhead(CurrentRequest(destination, mode))) {
        ++_aheadFrames;
        KeepFrame(destination, mode);
        return;
    }
    _resampling.Paint(context.SharedFromThis<Platform::Video::Context>(), _texture, destination, ShownRotation(), mode,
                      ToRect(GetRect()), Mirrored());
    ++_fullFrames;
    KeepFrame(destination, mode);
}

namespace {
// The renderer of the panel being painted when its frames can be kept and shifted, or null.
Platform::Video::Renderer *ReusableTarget(GUI::Panel *panel)
{
    Platform::Video::Renderer *renderer = panel ? panel->GetRenderer().Get() : nullptr;
    return renderer && renderer->CanReuseFrames() ? renderer : nullptr;
}
} // namespace

GUI::ResamplingRequest Planoscope::CurrentRequest(const Platform::Video::RectI32 &destination, Mode mode) const
{
    return GUI::ResamplingRequest{destination, ToRect(GetRect()), ShownRotation(), Mirrored(), mode};
}

bool Planoscope::DrawResampledAhead(const GUI::ResamplingRequest &request)
{
    const SharedPtr<Data::Image2DBase> &shown = ShownImage();
    Platform::Video::Renderer *target = ReusableTarget(GetPanel());
    if (!target || !shown || !_ahead->Matches(*shown, request))
        return false;
    const Platform::Video::Renderer::Lock lock = target->LockBackBuffer();
    const Platform::Video::RectI32 &cut = _ahead->cut;
    // The paint would clip to the back buffer as well.
    if (cut.right > std::int32_t(lock.Width()) || cut.bottom > std::int32_t(lock.Height()))
        return false;
    const std::size_t rowBytes = std::size_t(cut.right - cut.left) * 4;
    for (std::int32_t y = cut.top; y < cut.bottom; ++y)
        std::memcpy(lock.WriteBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(cut.left) * 4,
                    &_ahead->pixels[std::size_t(y - cut.top) * rowBytes], rowBytes);
    return true;
}

std::optional<FittedPaint> Planoscope::FittedPaintPlan() const
{
    if (_window || !ReusableTarget(GetPanel()))
        return std::nullopt;
    FittedPaint plan;
    plan._area = GetRect();
    plan._rotation = _rotation;
    std::copy(std::begin(_modes), std::end(_modes), plan._modes);
    return plan;
}

std::int32_t FittedPaint::ShownRotation(std::uint16_t exifOrientation) const noexcept
{
    return (_rotation + Data::UprightTurnOf(Data::ValidExifOrientation(exifOrientation)).clockwise) % 360;
}

double FittedPaint::FittingZoom(std::uint64_t width, std::uint64_t height, std::uint16_t exifOrientation) const
{
    return FitZoom(double(width), double(height), _area.Width(), _area.Height(), ShownRotation(exifOrientation));
}

GUI::ResamplingRequest FittedPaint::Request(std::uint64_t width, std::uint64_t height,
                                            std::uint16_t exifOrientation) const
{
    // As SetImage, SetPan({0, 0}) and FitToWindow leave the view.
    const std::int32_t rotation = ShownRotation(exifOrientation);
    const double w = double(width), h = double(height);
    const double zoom = ClampZoom(FitZoom(w, h, _area.Width(), _area.Height(), rotation));
    const Vec2 pan = ImageView::ClampPanning({0, 0}, w, h, _area.Width(), _area.Height(), zoom, rotation);
    return GUI::ResamplingRequest{
        ImageRectangle(w, h, rotation, zoom, pan, _area.x0, _area.y0, _area.Width(), _area.Height()), ToRect(_area),
        rotation, Data::UprightTurnOf(Data::ValidExifOrientation(exifOrientation)).mirrored,
        ChooseResampling(zoom, _modes[2], _modes[1], _modes[0])};
}

void Planoscope::KeepFrame(const Platform::Video::RectI32 &destination, Mode mode)
{
    _kept.valid = false;
    Platform::Video::Renderer *target = ReusableTarget(GetPanel());
    if (!_reuseEnabled || !target)
        return;
    const Platform::Video::Renderer::Lock lock = target->LockBackBuffer();
    const GUI::Rect area = Intersect(GetRect(), GUI::Rect{0, 0, std::int32_t(lock.Width()), std::int32_t(lock.Height())});
    if (area.Width() <= 0 || area.Height() <= 0 || !(area == GetRect()))
        return;
    const std::size_t rowBytes = std::size_t(area.Width()) * 4;
    _kept.pixels.resize(rowBytes * std::size_t(area.Height()));
    for (std::int32_t y = 0; y < area.Height(); ++y)
        std::memcpy(&_kept.pixels[std::size_t(y) * rowBytes],
                    lock.ReadBits() + std::int64_t(area.y0 + y) * lock.Pitch() + std::int64_t(area.x0) * 4, rowBytes);
    _kept.valid = true;
    _kept.area = ToRect(area);
    _kept.destination = destination;
    _kept.mode = mode;
    _kept.zoom = _zoom;
    _kept.rotation = ShownRotation();
    _kept.texture = _texture.Get();
}

bool Planoscope::DrawReusingLastFrame(Platform::Video::Context &context, const Platform::Video::RectI32 &destination,
                                      Mode mode)
{
    const GUI::Rect area = GetRect();
    if (!_kept.valid || !(_kept.area == ToRect(area)) || _kept.mode != mode || _kept.zoom != _zoom ||
        _kept.rotation != ShownRotation() || _kept.texture != _texture.Get() ||
        destination.right - destination.left != _kept.destination.right - _kept.destination.left ||
        destination.bottom - destination.top != _kept.destination.bottom - _kept.destination.top)
        return false;
    Platform::Video::Renderer *target = ReusableTarget(GetPanel());
    if (!target)
        return false;
    const std::int32_t w = area.Width(), h = area.Height();
    const std::int32_t dx = destination.left - _kept.destination.left, dy = destination.top - _kept.destination.top;
    if (std::abs(dx) >= w || std::abs(dy) >= h)
        return false;
    // Shift the kept frame and copy the part that stays into the back buffer;
    // the uncovered strips still hold what the panel drew under the view.
    if (dx != 0 || dy != 0)
        GUI::BitBlit(_kept.pixels.data(), std::int64_t(w) * 4, w, h, Platform::Video::RectI32{0, 0, w, h}, dx, dy);
    {
        const Platform::Video::Renderer::Lock lock = target->LockBackBuffer();
        const std::int32_t x0 = std::max(0, dx), x1 = w + std::min(0, dx);
        const std::int32_t y0 = std::max(0, dy), y1 = h + std::min(0, dy);
        for (std::int32_t y = y0; y < y1; ++y)
            std::memcpy(lock.WriteBits() + std::int64_t(area.y0 + y) * lock.Pitch() + std::int64_t(area.x0 + x0) * 4,
                        &_kept.pixels[(std::size_t(y) * std::size_t(w) + std::size_t(x0)) * 4],
                        std::size_t(x1 - x0) * 4);
    }
    const SharedPtr<Platform::Video::Context> shared = context.SharedFromThis<Platform::Video::Context>();
    // A strip of columns, then a strip of rows without those columns: no
    // pixel is drawn twice.
    GUI::Rect columns{}, rows{};
    if (dx > 0)
        columns = GUI::Rect{area.x0, area.y0, area.x0 + dx, area.y1};
    else if (dx < 0)
        columns = GUI::Rect{area.x1 + dx, area.y0, area.x1, area.y1};
    const std::int32_t rx0 = dx > 0 ? area.x0 + dx : area.x0, rx1 = dx < 0 ? area.x1 + dx : area.x1;
    if (dy > 0)
        rows = GUI::Rect{rx0, area.y0, rx1, area.y0 + dy};
    else if (dy < 0)
        rows = GUI::Rect{rx0, area.y1 + dy, rx1, area.y1};
    for (const GUI::Rect &strip : {columns, rows})
        if (strip.Width() > 0 && strip.Height() > 0)
            _resampling.Paint(shared, _texture, destination, ShownRotation(), mode, ToRect(strip), Mirrored());
    // The kept frame is shifted already: only the new strips are read back.
    const Platform::Video::Renderer::Lock lock = target->LockBackBuffer();
    for (const GUI::Rect &strip : {columns, rows})
        for (std::int32_t y = strip.y0; y < strip.y1; ++y)
            std::memcpy(&_kept.pixels[(std::size_t(y - area.y0) * std::size_t(w) + std::size_t(strip.x0 - area.x0)) * 4],
                        lock.ReadBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(strip.x0) * 4,
                        std::size_t(strip.Width()) * 4);
    _kept.destination = destination;
    return true;
}

} // namespace Brintavolex::ImageView
