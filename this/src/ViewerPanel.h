#pragma once

// The main window's content until the application object exists: a title
// line and the 2D viewer (toolbar, view, side panels) of one file, opened in
// the background. A file of several images (frames, pages) gets a slider to
// step through them; an animation plays at its own delays.

#include "GUI/api/Panel.h"
#include "Platform/api/BackgroundDecode.h"
#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControl.h"
#include "PlanoscopeWidget/api/PlanoscopeStreamControl.h"

#include "this/src/FrameLoader.h"
#include "RAW/api/RAWDecoder.h"
#include "this/src/PropertyTree.h"

#include <functional>
#include <optional>

#include <memory>

namespace Brintavolex {

class RAWImportDialog;

class ViewerPanel : public GUI::PanelWithTransparentTitle {
public:
    ViewerPanel();
    ~ViewerPanel() override;

    // Opens a file: decoded on a worker thread; the outcome arrives through
    // poster on the GUI thread and is shown (or its error is).
    void OpenFile(const String &path, const SharedPtr<IGuiThreadPoster> &poster);
    // Shows an image at once (no file behind it).
    void ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name);

    ImageView::Planoscope &View() noexcept { return _viewer.Composite().View(); }
    ImageView::PlanoscopeControlList &Viewer() noexcept { return _viewer.Composite(); }
    // The 2D viewer with the slider of a file of several images.
    ImageView::PlanoscopeStreamControl &Stream() noexcept { return _viewer; }
    // The slice viewer, shown in place of the 2D viewer for a volume.
    ImageView::ImageViewXYXZYZ3DControl &Volume() noexcept { return _volume; }
    bool IsShowingVolume() const noexcept { return _volume.IsVisible(); }
    // The image shown, by its index in the file.
    std::uint64_t ShownIndex() const noexcept { return _shownIndex; }
    // The English title: product, file name, zoom or the reason a file did
    // not open.
    String TitleText() const;
    bool IsLoading() const noexcept { return _frames && _frames->IsLoading(); }

    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    // Ctrl+H: the decoded file's headers in a window of their own, or that
    // window closed again.
    void ToggleHeaderTree();
    bool IsHeaderTreeShown() const noexcept { return bool(_headerTree); }
    // Writes the settings after the RAW import dialog kept an entry.
    void SetSettingsSaver(std::function<void()> save) { _saveSettings = std::move(save); }
    // The import dialog while it is offered.
    const SharedPtr<RAWImportDialog> &RAWImport() const noexcept { return _rawImport; }

private:
    void Loaded(std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation);
    // The slider for a file of count images, showing first; an animation
    // starts playing.
    void ShowStream(std::uint64_t count, std::uint64_t first, std::vector<std::uint32_t> delays);
    void ZoomChanged();
    void UpdateTitle();
    void LayOut();
    // The first zoom: the whole picture, but never magnified.
    void ChooseFirstZoom();
    // A file no decoder claims, or one read as headerless data, gets the
    // import dialog (entry: the values it was read with); any other file
    // closes it.
    void OfferRAWImport(const String &path, const std::optional<RAWEntry> &entry, bool unclaimed);

    ImageView::PlanoscopeStreamControl _viewer;
    ImageView::ImageViewXYXZYZ3DControl _volume;
    SharedPtr<IProperty> _headers;
    SharedPtr<PropertyTree> _headerTree;
    String _fileName;
    SharedPtr<IGuiThreadPoster> _poster;
    std::function<void()> _saveSettings;
    SharedPtr<RAWImportDialog> _rawImport;
    String _problem;
    std::unique_ptr<FrameLoader> _frames;
    std::vector<std::uint32_t> _delays;
    std::uint64_t _shownIndex = 0;
    bool _shownAny = false;
};

} // namespace Brintavolex
