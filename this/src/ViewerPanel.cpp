#include "this/src/ViewerPanel.h"

#include "Platform/api/CodecFactory.h"
#include "this/src/Logger.h"
#include "this/src/RAWImportDialog.h"
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
    Add(_volume);
    _volume.SetVisible(false);
    _viewer.Composite().ZoomListener().Reset(&ViewerPanel::ZoomChanged, this);
    UpdateTitle();
}

ViewerPanel::~ViewerPanel()
{
    if (_headerTree)
        _headerTree->OnClose().Reset();
    _frames.reset();
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
    _volume.SetRect(0, std::min(TitleHeight(), r.Height()), r.Width(), r.Height());
}

void ViewerPanel::OpenFile(const String &path, const SharedPtr<IGuiThreadPoster> &poster)
{
    _fileName = BaseName(path);
    _poster = poster;
    _viewer.Composite().SetImagePath(path.ToU16String());
    _problem = String();
    _frames.reset();
    _shownAny = false;
    _shownIndex = 0;
    ShowStream(1, 0, {});
    _volume.Clear();
    _volume.SetVisible(false);
    _viewer.SetVisible(true);
    _headers = SharedPtr<IProperty>();
    // The headers shown belong to the file that was open.
    if (_headerTree)
        _headerTree->Close();
    try {
        Slot slot(path, {MakeShared<DefaultIndex>()});
        try {
            slot.Load(MakeShared<NullLogger>());
        } catch (const NoDecoderAcceptsException &) {
            // Perhaps headerless data.
            OfferRAWImport(path, std::nullopt, true);
            throw;
        }
        const LoadedItem &loaded = slot.GetLoaded();
        OfferRAWImport(path, RAWEntryOf(loaded.decoder), false);
        _headers = loaded.decoder ? loaded.decoder->GetProperty() : SharedPtr<IProperty>();
        // A volume shows as three slices; everything else in the 2D viewer.
        if (loaded.image3D && !loaded.image2D) {
            _viewer.SetVisible(false);
            _volume.SetVisible(true);
            _volume.SetItem(loaded.item, _fileName, poster);
            UpdateTitle();
            return;
        }
        if (!loaded.image2D)
            throw Exception("this file holds no 2D picture");
        // Counted before anything changes: a stream needs an image.
        const std::uint64_t count = loaded.decoder ? loaded.decoder->GetCount() : 1;
        if (count == 0)
            throw Exception("this file holds no images");
        const std::uint64_t first = count > 1 ? std::min(loaded.decoder->GetDefaultIndex(), count - 1) : 0;
        std::vector<std::uint32_t> delays = count > 1 ? FrameLoader::ReadDelays(*loaded.decoder)
                                                      : std::vector<std::uint32_t>();
        _frames = std::make_unique<FrameLoader>(
            loaded.decoder, poster,
            [this](std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation) {
                Loaded(index, outcome, exifOrientation);
            });
        _shownIndex = first;
        ShowStream(count, first, std::move(delays));
        _frames->Request(first, loaded.image2D);
    } catch (const std::exception &e) {
        _problem = String(e.what());
    }
    UpdateTitle();
}

void ViewerPanel::ShowStream(std::uint64_t count, std::uint64_t first, std::vector<std::uint32_t> delays)
{
    _delays = std::move(delays);
    if (count < 2) {
        _viewer.SetDimensionCount(0);
        return;
    }
    _viewer.SetDimensionCount(1);
    VerticalStreamSliderControl &slider = _viewer.Slider(0);
    slider.SetIndexAndCount(first, count);
    slider.OnIndexChanged().ResetCallable([this](VerticalStreamSliderControl &, std::uint64_t index) {
        if (_frames)
            _frames->Request(index);
    });
    if (_delays.size() != count) {
        slider.EnablePlayback({});
        return;
    }
    slider.EnablePlayback([this](std::uint64_t index) { return index < _delays.size() ? _delays[index] : 0u; });
    slider.Play();
}

void ViewerPanel::Loaded(std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation)
{
    if (outcome.image) {
        _problem = String();
        _shownIndex = index;
        _viewer.SetImage(outcome.image, 1, 1, exifOrientation);
        // Later images of the file keep the zoom and pan the user chose.
        if (!_shownAny)
            ChooseFirstZoom();
        _shownAny = true;
    } else {
        _problem = outcome.error.Empty() ? String("the file could not be decoded") : outcome.error;
    }
    UpdateTitle();
    RequestRepaint();
}

void ViewerPanel::ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name)
{
    _fileName = String(name);
    _frames.reset();
    ShowStream(1, 0, {});
    _viewer.Composite().SetImagePath(_fileName.ToU16String());
    _problem = String();
    _viewer.Composite().ShowImage(image);
    ChooseFirstZoom();
    UpdateTitle();
}

void ViewerPanel::ChooseFirstZoom()
{
    ImageView::Planoscope &view = _viewer.Composite().View();
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
    else if (IsLoading() && !_shownAny)
        title += " - loading";
    else if (_viewer.Composite().View().GetImage())
        title += " - " + ImageView::ZoomText(_viewer.Composite().View().GetZoom());
    return title;
}

void ViewerPanel::UpdateTitle()
{
    const String english = TitleText();
    String german = english;
    if (!_problem.Empty() || (IsLoading() && !_shownAny)) {
        // Only the fixed words differ between the languages here.
        german = String(kProduct);
        if (!_fileName.Empty())
            german += " - " + _fileName;
        german += !_problem.Empty() ? String(" - ") + _problem : String(" - wird geladen");
    }
    SetTitle(german, english);
    RequestRepaint();
}

void ViewerPanel::OfferRAWImport(const String &path, const std::optional<RAWEntry> &entry, bool unclaimed)
{
    GUI::GUI *gui = GetGUI();
    if (!gui)
        return;
    if (!entry && !unclaimed) {
        if (_rawImport)
            HideRAWImportDialog(*gui);
        _rawImport = SharedPtr<RAWImportDialog>();
        return;
    }
    RAWImportDialog::Callbacks callbacks;
    callbacks.save = [this] {
        if (_saveSettings)
            _saveSettings();
    };
    callbacks.reload = [this](const String &again) { OpenFile(again, _poster); };
    _rawImport = ShowRAWImportDialog(*gui, path, FileStream(path).size(), entry, std::move(callbacks));
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
    if (key == kKeyEscape && _viewer.Composite().CloseSidePanels())
        return true;
    const GUI::WindowPlatform *platform = GetGUI() ? GetGUI()->GetPlatform() : nullptr;
    if (key == kKeyH && platform && platform->IsKeyHeld(kKeyControl)) {
        ToggleHeaderTree();
        return true;
    }
    if (PanelWithTransparentTitle::OnKeyDown(key, flags))
        return true;
    // Keys nobody else takes go to the view.
    return _viewer.Composite().View().OnKeyDown(key, flags);
}

} // namespace Brintavolex
