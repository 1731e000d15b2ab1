#pragma once

// The main window's content until the application object exists: a title
// line and the 2D viewer (toolbar, view, side panels) of one file, opened in
// the background.

#include "GUI/api/Panel.h"
#include "Platform/api/BackgroundDecode.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"

#include "this/src/PropertyTree.h"

#include <memory>

namespace Brintavolex {

class ViewerPanel : public GUI::PanelWithTransparentTitle {
public:
    ViewerPanel();
    ~ViewerPanel() override;

    // Opens a file: decoded on a worker thread; the outcome arrives through
    // poster on the GUI thread and is shown (or its error is).
    void OpenFile(const String &path, const SharedPtr<IGuiThreadPoster> &poster);
    // Shows an image at once (no file behind it).
    void ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name);

    ImageView::Planoscope &View() noexcept { return _viewer.View(); }
    ImageView::PlanoscopeControlList &Viewer() noexcept { return _viewer; }
    // The English title: product, file name, zoom or the reason a file did
    // not open.
    String TitleText() const;
    bool IsLoading() const noexcept { return bool(_decode); }

    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    // Ctrl+H: the decoded file's headers in a window of their own, or that
    // window closed again.
    void ToggleHeaderTree();
    bool IsHeaderTreeShown() const noexcept { return bool(_headerTree); }

private:
    void Loaded(const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation);
    void ZoomChanged();
    void UpdateTitle();
    void LayOut();
    // The first zoom: the whole picture, but never magnified.
    void ChooseFirstZoom();

    ImageView::PlanoscopeControlList _viewer;
    SharedPtr<IProperty> _headers;
    SharedPtr<PropertyTree> _headerTree;
    String _fileName;
    String _problem;
    std::unique_ptr<BackgroundDecode> _decode;
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

} // namespace Brintavolex
