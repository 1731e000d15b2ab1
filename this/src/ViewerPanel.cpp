#include "this/src/ViewerPanel.h"

#include "Platform/api/CodecFactory.h"
#include "this/src/Logger.h"
#include "this/src/SaveImageDialog.h"
#include "this/src/Slot.h"

#include <algorithm>

namespace Brintavolex {

namespace {
const char kProduct[] = "Brintavolex Viewer";
constexpr std::uint32_t kKeyEscape = 27, kKeyH = 'H', kKeyControl = 0x11;

// The last part of a path.
String BaseName(const String &path)
{
    const std::u16string text = path.ToU16String();
    const std::size_t slash = text.find_last_of(u"\\/");
    return String(StringExpr(slash == std::u16string::npos ? text : text.substr(slash + 1)));
}
} // namespace

ViewerPanel::ViewerPanel()
{
    Add(_viewer);
    _viewer.ZoomListener().Reset(&ViewerPanel::ZoomChanged, this);
    UpdateTitle();
}

ViewerPanel::~ViewerPanel()
{
    if (_headerTree)
        _headerTree->OnClose().Reset();
    *_alive = false;
    _decode.reset();
}

void ViewerPanel::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    PanelWithTransparentTitle::SetRect(x0, y0, x1, y1);
    LayOut();
}

void ViewerPanel::LayOut()
{
    const GUI::Rect r = GetRect();
    _viewer.SetRect(0, std::min(TitleHeight(), r.Height()), r.Width(), r.Height());
}

void ViewerPanel::OpenFile(const String &path, const SharedPtr<IGuiThreadPoster> &poster)
{
    _fileName = BaseName(path);
    _viewer.SetImagePath(path.ToU16String());
    _problem = String();
    _decode.reset();
    _headers = SharedPtr<IProperty>();
    // The headers shown belong to the file that was open.
    if (_headerTree)
        _headerTree->Close();
    try {
        Slot slot(path, {MakeShared<DefaultIndex>()});
        slot.Load(MakeShared<NullLogger>());
        _headers = slot.GetLoaded().decoder ? slot.GetLoaded().decoder->GetProperty() : SharedPtr<IProperty>();
        if (!slot.GetLoaded().image2D)
            throw Exception("this file holds no 2D picture");
        // The outcome may arrive after this panel is gone: it checks first.
        std::weak_ptr<bool> alive = _alive;
        const SharedPtr<Image2DDataCache> cache = slot.GetLoaded().image2D;
        _decode = std::make_unique<BackgroundDecode>(
            cache, nullptr, poster, [this, alive, cache](const BackgroundDecode::Outcome &outcome) {
                // The orientation came with the information the decode read.
                if (const auto living = alive.lock(); living && *living)
                    Loaded(outcome, outcome.image ? cache->GetExifOrientation() : 1);
            });
    } catch (const std::exception &e) {
        _problem = String(e.what());
    }
    UpdateTitle();
}

void ViewerPanel::Loaded(const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation)
{
    _decode.reset();
    if (outcome.image) {
        _viewer.SetImage(outcome.image, 1, 1, exifOrientation);
        ChooseFirstZoom();
    } else {
        _problem = outcome.error.Empty() ? String("the file could not be decoded") : outcome.error;
    }
    UpdateTitle();
    RequestRepaint();
}

void ViewerPanel::ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name)
{
    _fileName = String(name);
    _viewer.SetImagePath(_fileName.ToU16String());
    _problem = String();
    _viewer.ShowImage(image);
    ChooseFirstZoom();
    UpdateTitle();
}

void ViewerPanel::ChooseFirstZoom()
{
    ImageView::Planoscope &view = _viewer.View();
    if (!view.GetImage())
        return;
    const double fit = view.FittingZoom();
    view.SetPan({0, 0});
    // A picture opened fitted stays fitted while the window changes size.
    if (fit > 1)
        view.FitToWindow();
    else
        view.SetZoom(1);
}

void ViewerPanel::ZoomChanged() { UpdateTitle(); }

String ViewerPanel::TitleText() const
{
    String title = kProduct;
    if (!_fileName.Empty())
        title += " - " + _fileName;
    if (!_problem.Empty())
        title += " - " + _problem;
    else if (_decode)
        title += " - loading";
    else if (_viewer.View().GetImage())
        title += " - " + ImageView::ZoomText(_viewer.View().GetZoom());
    return title;
}

void ViewerPanel::UpdateTitle()
{
    const String english = TitleText();
    String german = english;
    if (!_problem.Empty() || _decode) {
        // Only the fixed words differ between the languages here.
        german = String(kProduct);
        if (!_fileName.Empty())
            german += " - " + _fileName;
        german += !_problem.Empty() ? String(" - ") + _problem : String(" - wird geladen");
    }
    SetTitle(german, english);
    RequestRepaint();
}

void ViewerPanel::ToggleHeaderTree()
{
    GUI::GUI *gui = GetGUI();
    if (_headerTree) {
        _headerTree->Close();
        return;
    }
    if (!gui || !_headers)
        return;
    const SharedPtr<ImageView::ISaveImageDialog> dialog =
        CreateSystemSaveDialog(*gui, *this, SaveDialogKind::CommaSeparated);
    const String proposed = _fileName + ".csv";
    _headerTree = ShowHeaderTree(*gui, _headers, _fileName, [dialog, proposed]() {
        return dialog ? String(StringExpr(dialog->AskSavePath(proposed.ToU16String()))) : String();
    });
    _headerTree->OnClose().ResetCallable([this](PropertyTree &) { _headerTree = SharedPtr<PropertyTree>(); });
}

bool ViewerPanel::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    // Escape closes the side panels first, the window once none is shown.
    if (key == kKeyEscape && _viewer.CloseSidePanels())
        return true;
    const GUI::WindowPlatform *platform = GetGUI() ? GetGUI()->GetPlatform() : nullptr;
    if (key == kKeyH && platform && platform->IsKeyHeld(kKeyControl)) {
        ToggleHeaderTree();
        return true;
    }
    if (PanelWithTransparentTitle::OnKeyDown(key, flags))
        return true;
    // Keys nobody else takes go to the view.
    return _viewer.View().OnKeyDown(key, flags);
}

} // namespace Brintavolex
