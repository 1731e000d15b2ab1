#include "this/src/PlanoscopeApplication.h"

#include "GUI/api/GUI.h"
#include "GUI/api/Icons.h"
#include "Platform/api/CommandTexts.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/FileSystem.h"
#include "this/src/ApplicationTexts.h"
#include "this/src/FileList/FileLists.h"
#include "this/src/RAWImportDialog.h"
#include "this/src/SaveImageDialog.h"
#include "Platform/api/Stream.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex {

namespace {

const char kProduct[] = "Brintavolex Viewer";

// Virtual keys of the keyboard map.
namespace Key {
constexpr std::uint32_t Backspace = 0x08, Enter = 0x0D, Shift = 0x10, Control = 0x11, Escape = 0x1B, Space = 0x20,
                        Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D, Delete = 0x2E, H = 'H',
                        I = 'I', L = 'L', T = 'T', V = 'V';
}

// Lengths in units of the style's size metric.
constexpr double kToolbarExtra = 6, kButtonExtra = 2, kSpacing = 2, kGroupSpacing = 10, kSpeedListWidth = 78;
// How near the top edge the pointer brings the toolbars back in fullscreen.
constexpr double kFullscreenRevealHeight = 8;

const char *const kSpeedTexts[] = {"30.000 s", "25.000 s", "20.000 s", "15.000 s", "10.000 s",
                                   "5.000 s",  "2.000 s",  "1.000 s",  "0.500 s",  "0.200 s",
                                   "0.100 s",  "0.067 s",  "0.050 s",  "0.040 s",  "0.033 s"};
static_assert(std::size(kSpeedTexts) == std::size(PlanoscopeApplication::kSlideshowMilliseconds));

// The last part of a path.
String BaseName(const String &path)
{
    const std::u16string text = path.ToU16String();
    const std::size_t slash = text.find_last_of(u"\\/");
    return String(StringExpr(slash == std::u16string::npos ? text : text.substr(slash + 1)));
}

TextPair Same(const String &text) { return TextPair{text, text}; }

TextPair Joined(const TextPair &first, const String &second)
{
    return TextPair{first[0] + second, first[1] + second};
}

} // namespace

PlanoscopeApplication::PlanoscopeApplication(PlanoscopeSettings &settings, SharedPtr<IShellCommands> shell)
    : _settings(settings), _shell(std::move(shell))
{
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{
             &_open, &_paste, &_screenImage, &_screenVideo, &_explorer, &_print, &_delete, &_slideshow, &_speed,
             &_header, &_output, &_settingsButton, &_about, &_fullscreenButton, &_notice, &_viewer, &_volume,
             &_fileSlider})
        Add(*c);
    _volume.SetVisible(false);
    _notice.SetVisible(false);
    _fileSlider.SetVisible(false);

    _open.SetTooltipTexts(Texts::OpenFileEllipsis);
    _paste.SetTooltipTexts(Texts::InsertClipboard);
    _screenImage.SetTooltipTexts(Texts::InsertScreenAsImage, ApplicationTexts::NotYetAvailable);
    _screenVideo.SetStateTooltips(Texts::InsertScreenAsVideo, Texts::InsertScreenAsVideo);
    _explorer.SetStateTooltips(Texts::EnableExplorerSelection, Texts::DisableExplorerSelection);
    _print.SetTooltipTexts(Texts::PrintFile, Texts::PrintFileDisabled);
    _delete.SetTooltipTexts(Texts::DeleteFile, Texts::DeleteFileDisabled);
    _slideshow.SetStateTooltips(Texts::StartSlideshow, Texts::StopSlideshow);
    _header.SetStateTooltips(Texts::ShowHeader, Texts::HideHeader);
    _output.SetStateTooltips(Texts::OutputEllipsis, Texts::OutputEllipsis);
    _settingsButton.SetTooltipTexts(Texts::SettingsEllipsis);
    _about.SetTooltipTexts(Texts::AboutEllipsis);
    _fullscreenButton.SetTooltipTexts(Texts::FullscreenWindowMode);
    _fileSlider.SetStepTooltips(ApplicationTexts::PreviousFileKeys, ApplicationTexts::NextFileKeys);

    std::vector<String> speeds;
    for (const char *text : kSpeedTexts)
        speeds.emplace_back(text);
    _speed.SetEntries(std::move(speeds));
    _speed.SetSelectedIndex(std::int32_t(kDefaultSlideshowEntry));

    // Parts that arrive later are there, disabled, saying so.
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{&_screenImage, &_screenVideo, &_output})
        c->SetEnabled(false);
    _screenVideo.SetTooltipTexts(ApplicationTexts::NotYetAvailable, ApplicationTexts::NotYetAvailable);
    _output.SetTooltipTexts(ApplicationTexts::NotYetAvailable, ApplicationTexts::NotYetAvailable);
    _explorer.SetActive(_settings.explorerExport.Get());

    _open.OnClick().ResetCallable([this](GUI::Button &) {
        Guarded("Open", [this] {
            if (!_frame.askOpenPath)
                return;
            const String path = _frame.askOpenPath();
            if (!path.Empty())
                OpenChosenFile(path);
        });
    });
    _paste.OnClick().ResetCallable([this](GUI::Button &) { Paste(); });
    _print.OnClick().ResetCallable([this](GUI::Button &) { PrintCurrentFile(); });
    _delete.OnClick().ResetCallable([this](GUI::Button &) { DeleteCurrentFile(); });
    _slideshow.OnClick().ResetCallable([this](GUI::Button &) {
        // The click already switched the button.
        _slideshow.IsActive() ? StartSlideshow() : StopSlideshow();
    });
    _speed.OnChange().ResetCallable([this](GUI::DropDownList &) {
        if (_slideshowRunning)
            if (GUI::GUI *gui = GetGUI())
                gui->SetTimer(_slideshowTimer, SlideshowInterval());
    });
    _explorer.OnClick().ResetCallable([this](GUI::Button &) {
        _settings.explorerExport.Set(_explorer.IsActive());
        if (_frame.saveSettings)
            _frame.saveSettings();
        if (_explorer.IsActive() && CurrentPosition().HasPosition())
            CurrentPosition().list->SelectFile(CurrentPosition());
    });
    _header.OnClick().ResetCallable([this](GUI::Button &) { ToggleHeaderTree(); });
    _settingsButton.OnClick().ResetCallable([this](GUI::Button &) {
        if (_frame.showSettings)
            _frame.showSettings();
    });
    _about.OnClick().ResetCallable([this](GUI::Button &) {
        if (_frame.showAbout)
            _frame.showAbout();
    });
    _fullscreenButton.OnClick().ResetCallable([this](GUI::Button &) { ToggleFullscreen(); });
    _fileSlider.OnIndexChanged().ResetCallable([this](VerticalStreamSliderControl &, std::uint64_t index) {
        Guarded("ArbitraryImageFromIndex", [this, index] { RequireManager().ArbitraryImageFromIndex(index); });
    });
    _viewer.Composite().ZoomListener().ResetCallable([this] { RequestRepaint(); });
    _slideshowTimer.Reset(&PlanoscopeApplication::SlideshowTick, this);
    UpdateButtons();
    UpdateTitle();
}

PlanoscopeApplication::~PlanoscopeApplication()
{
    _alive.reset();
    Shutdown();
}

void PlanoscopeApplication::Shutdown()
{
    StopSlideshow();
    if (_headerTree) {
        _headerTree->OnClose().Reset();
        _headerTree->Close();
        _headerTree = SharedPtr<PropertyTree>();
    }
    _folderReading.reset();
    _manager.reset();
    _frames.reset();
    _volume.Clear();
}

void PlanoscopeApplication::SetPoster(SharedPtr<IGuiThreadPoster> poster)
{
    _poster = std::move(poster);
    _manager.reset();
}

SharedPtr<IGuiThreadPoster> PlanoscopeApplication::RequirePoster()
{
    if (!_poster) {
        GUI::GUI *gui = GetGUI();
        if (!gui)
            throw Exception("PlanoscopeApplication: no window to report to");
        _poster = gui->CreateGuiThreadPoster();
    }
    return _poster;
}

ImageManager &PlanoscopeApplication::RequireManager()
{
    if (!_manager)
        _manager = std::make_unique<ImageManager>(
            RequirePoster(), [this](const SharedPtr<PreparedDocument> &document) { Ready(document); });
    return *_manager;
}

template <class F> void PlanoscopeApplication::Guarded(const char *command, F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        // A failed command never ends the program: it is logged and said.
        ErrorLog::Log(__FILE_NAME__, __LINE__, String(command) + ": " + e.what());
        ShowNotice(Same(String(e.what())));
    }
}

// ---- opening and showing ----

void PlanoscopeApplication::OpenFile(const String &path, IFileList::Iterator position)
{
    Guarded("OpenFile", [&] {
        _folderReading.reset();
        if (position.Empty()) {
            const SharedPtr<IExplorerWindows> windows = SystemExplorerWindows();
            FileListPosition list = ListForOpenedFile(path, *windows);
            position = list.current;
            // A file its folder's list lacks (gone, or no folder to read)
            // still opens, alone.
            if (!position.HasPosition())
                position = IFileList::Iterator{list.list, IFileList::kNoPosition};
        }
        _path = path;
        _fileName = BaseName(path);
        UpdateTitle();
        if (position.HasPosition())
            RequireManager().SelectFile(position);
        else
            Ready(PrepareDocument(path, position));
    });
}

void PlanoscopeApplication::OpenMemory(std::vector<std::uint8_t> bytes, const String &name)
{
    Guarded("OpenMemory", [&] {
        _folderReading.reset();
        _path = String();
        _fileName = BaseName(name);
        UpdateTitle();
        RequireManager().SelectMemory(std::move(bytes), name);
    });
}

void PlanoscopeApplication::Paste()
{
    Guarded("Paste", [this] {
        if (!_frame.readClipboard)
            return;
        ClipboardContent content = _frame.readClipboard();
        if (!content.file.Empty()) {
            DroppedItem files;
            files.path = content.file;
            OpenDropped(std::move(files));
        } else if (!content.dib.empty()) {
            CheckPastedDib(content.dib);
            OpenMemory(std::move(content.dib), PastedDibName());
        }
    });
}

void PlanoscopeApplication::OpenChosenFile(const String &path)
{
    Guarded("OpenChosenFile", [&] {
        FileListPosition list = ListForChosenFile(path);
        OpenFile(path, list.current.HasPosition() ? list.current
                                                  : IFileList::Iterator{list.list, IFileList::kNoPosition});
    });
}

void PlanoscopeApplication::OpenDropped(DroppedItem item)
{
    Guarded("Drop", [&] {
        if (!item.error.Empty())
            throw Exception(item.error);
        if (!item.path.Empty()) {
            if (Platform::DirectoryExists(item.path))
                OpenFolder(item.path);
            else
                OpenFile(item.path);
        } else if (!item.name.Empty()) {
            OpenMemory(std::move(item.bytes), item.name);
        }
    });
}

void PlanoscopeApplication::OpenDroppedLater(DroppedItem item)
{
    Guarded("Drop", [&] {
        RequirePoster()->Post([alive = std::weak_ptr<bool>(_alive), this,
                               dropped = std::make_shared<DroppedItem>(std::move(item))] {
            if (alive.lock())
                OpenDropped(std::move(*dropped));
        });
    });
}

void PlanoscopeApplication::OpenFolder(const String &folder)
{
    ShowNotice(Joined(ApplicationTexts::DirectoryReading, folder));
    _folderReading = std::make_unique<FolderReading>(
        RequirePoster(), folder,
        [this](const String &reading) { ShowNotice(Joined(ApplicationTexts::DirectoryReading, reading)); },
        [this, folder](const SharedPtr<IFileList> &list, const String &error) {
            _folderReading.reset();
            Guarded("OpenFolder", [&] {
                if (!error.Empty())
                    throw Exception(error);
                if (!list || list->GetCount() == 0) {
                    ShowNotice(Joined(ApplicationTexts::NoPicturesInFolder, folder));
                    return;
                }
                const IFileList::Iterator first = list->GetIteratorFromIndex(0);
                OpenFile(list->GetNormalizedPathFromIterator(first), first);
            });
        });
}

void PlanoscopeApplication::Ready(const SharedPtr<PreparedDocument> &document)
{
    if (!document)
        return;
    Guarded("LoadFile", [&] { ShowDocument(*document); });
}

void PlanoscopeApplication::ShowDocument(const PreparedDocument &document)
{
    _path = document.inMemory ? String() : document.path;
    _fileName = BaseName(document.path);
    _fileGone = false;
    // A new list (not a step in the old one) offers Explorer selection again.
    if (document.position.list != _shownList) {
        _shownList = document.position.list;
        _explorer.SetEnabled(true);
    }
    UpdateFileSlider();
    ShowNotice(TextPair{});
    if (_headerTree)
        _headerTree->Close();

    const LoadedItem &loaded = document.loaded;
    // Headerless data is offered for import; a file of a known picture
    // type that does not parse is just an error.
    // Bytes without a file have nothing to import from.
    if (document.inMemory)
        OfferRAWImport(document.path, std::nullopt, false);
    else if (document.unclaimed && !RegisteredNameEndings().Matches(document.path))
        OfferRAWImport(document.path, std::nullopt, true);
    else
        OfferRAWImport(document.path, RAWEntryOf(loaded.decoder), false);
    if (!document.error.Empty()) {
        // The picture before stays; the line says why this one is not shown.
        _problem = document.error;
        ShowNotice(Joined(ApplicationTexts::OpenFailed, document.error));
        UpdateButtons();
        UpdateTitle();
        return;
    }
    _problem = String();
    _headers = loaded.decoder ? loaded.decoder->GetProperty() : SharedPtr<IProperty>();
    _frames.reset();
    _shownAny = false;
    _viewer.Composite().SetImagePath(document.path.ToU16String());
    if (loaded.image3D && !loaded.image2D) {
        ShowStream(1, 0, {});
        _viewer.SetVisible(false);
        _volume.SetVisible(true);
        _volume.SetItem(loaded.item, _fileName, _poster);
    } else {
        _volume.Clear();
        _volume.SetVisible(false);
        _viewer.SetVisible(true);
        if (loaded.decoder && document.imageCount > 1)
            _frames = std::make_unique<FrameLoader>(
                loaded.decoder, _poster,
                [this](std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t orientation) {
                    ShowFrame(index, outcome, orientation);
                });
        ShowStream(document.imageCount, document.firstIndex, document.delays);
        BackgroundDecode::Outcome first;
        first.image = document.firstImage;
        ShowFrame(document.firstIndex, first, document.exifOrientation);
        _viewer.Composite().View().OfferResampled(document.firstResampled);
    }
    if (loaded.wrongExtension)
        ShowNotice(Texts::WrongExtensionWarning);
    UpdateButtons();
    UpdateTitle();
    LayOut();
    RequestRepaint();
    // The neighbours decode once this picture is on the screen: a decode
    // beside the first paint would slow it.
    if (_poster)
        _poster->Post([alive = std::weak_ptr<bool>(_alive), this] {
            if (alive.lock())
                PrefetchWhenIdle();
        });
    if (_explorer.IsActive() && document.position.HasPosition() && !document.position.list->SelectFile(document.position))
        _explorer.SetEnabled(false);
}

void PlanoscopeApplication::PrefetchWhenIdle()
{
    if (!_manager)
        return;
    if (_viewer.IsVisible() && _viewer.DimensionCount() > 0 && _viewer.Slider(0).IsPlaying())
        return;
    if (_volume.IsVisible())
        for (auto o : {SliceOrientation::XY, SliceOrientation::XZ, SliceOrientation::YZ})
            if (_volume.GetLoadState(o) == ImageView::ImageViewXYXZYZ3DControl::LoadState::Loading ||
                _volume.GetLoadState(o) == ImageView::ImageViewXYXZYZ3DControl::LoadState::Waiting)
                return;
    _manager->Prefetch(PaintAheadForView());
}

ImageManager::PaintAhead PlanoscopeApplication::PaintAheadForView() const
{
    const std::optional<ImageView::FittedPaint> plan = _viewer.Composite().View().FittedPaintPlan();
    if (!plan)
        return {};
    return [plan = *plan](const SharedPtr<Data::Image2DBase> &picture,
                          std::uint16_t exifOrientation) -> std::shared_ptr<const GUI::ResampledPicture> {
        const std::uint64_t w = picture->GetWidth(), h = picture->GetHeight();
        // As ChooseFirstZoom: only pictures larger than the view open fitted; the others are cheap at 100 %.
        if (!(plan.FittingZoom(w, h, exifOrientation) > 1))
            return nullptr;
        return GUI::ResampleAhead(picture, plan.Request(w, h, exifOrientation));
    };
}

void PlanoscopeApplication::ShowFrame(std::uint64_t index, const BackgroundDecode::Outcome &outcome,
                                      std::uint16_t exifOrientation)
{
    if (outcome.image) {
        _problem = String();
        _shownIndex = index;
        _viewer.SetImage(outcome.image, 1, 1, exifOrientation);
        // Later images of the file keep the zoom and pan the user chose.
        if (!_shownAny)
            ChooseFirstZoom();
        _shownAny = true;
    } else if (!outcome.cancelled) {
        _problem = outcome.error.Empty() ? String("the file could not be decoded") : outcome.error;
        ShowNotice(Joined(ApplicationTexts::OpenFailed, _problem));
    }
    UpdateTitle();
    RequestRepaint();
}

void PlanoscopeApplication::ShowStream(std::uint64_t count, std::uint64_t first, std::vector<std::uint32_t> delays)
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

void PlanoscopeApplication::ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name)
{
    _path = String();
    _fileName = String(name);
    _frames.reset();
    _problem = String();
    _headers = SharedPtr<IProperty>();
    _volume.Clear();
    _volume.SetVisible(false);
    _viewer.SetVisible(true);
    ShowStream(1, 0, {});
    _viewer.Composite().SetImagePath(_fileName.ToU16String());
    _viewer.Composite().ShowImage(image);
    _shownAny = true;
    ChooseFirstZoom();
    UpdateButtons();
    UpdateTitle();
}

void PlanoscopeApplication::ChooseFirstZoom()
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

void PlanoscopeApplication::UpdateFileSlider()
{
    const IFileList::Iterator &position = CurrentPosition();
    const std::uint64_t count = position.list ? position.list->GetCount() : 0;
    const bool shown = count > 1 && position.HasPosition() && !_fullscreen;
    if (shown)
        _fileSlider.SetIndexAndCount(position.index, count);
    if (_fileSlider.IsVisible() != shown) {
        _fileSlider.SetVisible(shown);
        LayOut();
    }
}

void PlanoscopeApplication::UpdateButtons()
{
    const bool file = !_path.Empty() && !_fileGone;
    const bool list = !CurrentPosition().Empty();
    _print.SetEnabled(file);
    _delete.SetEnabled(file && _settings.enableFileDelete.Get());
    _slideshow.SetEnabled(list);
    _header.SetActive(bool(_headerTree));
    _header.SetEnabled(bool(_headers) || _headerTree);
}

void PlanoscopeApplication::DeletionSettingChanged() { UpdateButtons(); }

String PlanoscopeApplication::TitleText() const
{
    return _fileName.Empty() ? String(kProduct) : _fileName + " - " + kProduct;
}

void PlanoscopeApplication::UpdateTitle()
{
    const String title = TitleText();
    SetTitle(title, title);
    RequestRepaint();
}

void PlanoscopeApplication::ShowNotice(const TextPair &text)
{
    const bool shown = !text[0].Empty() || !text[1].Empty();
    _notice.SetText(text);
    if (_notice.IsVisible() != shown) {
        _notice.SetVisible(shown);
        LayOut();
    }
    RequestRepaint();
}

// ---- commands ----

void PlanoscopeApplication::NextFile()
{
    Guarded("NextFile", [this] { RequireManager().NextFile(); });
}

void PlanoscopeApplication::PrevFile()
{
    Guarded("PrevFile", [this] { RequireManager().PrevFile(); });
}

void PlanoscopeApplication::NextImage()
{
    if (_volume.IsVisible()) {
        VerticalStreamSliderControl &slider = _volume.Slider(SliceOrientation::XY);
        slider.Select(std::min(slider.GetIndex() + 1, slider.GetCount() - 1));
    } else if (_viewer.DimensionCount() > 0) {
        VerticalStreamSliderControl &slider = _viewer.Slider(0);
        slider.Select((slider.GetIndex() + 1) % slider.GetCount());
    }
}

void PlanoscopeApplication::PrevImage()
{
    if (_volume.IsVisible()) {
        VerticalStreamSliderControl &slider = _volume.Slider(SliceOrientation::XY);
        slider.Select(slider.GetIndex() == 0 ? 0 : slider.GetIndex() - 1);
    } else if (_viewer.DimensionCount() > 0) {
        VerticalStreamSliderControl &slider = _viewer.Slider(0);
        slider.Select(slider.GetIndex() == 0 ? slider.GetCount() - 1 : slider.GetIndex() - 1);
    }
}

void PlanoscopeApplication::DeleteCurrentFile()
{
    Guarded("DeleteFile", [this] {
        if (_path.Empty() || _fileGone || !_settings.enableFileDelete.Get() || !_shell)
            return;
        const String path = _path;
        GUI::GUI *gui = GetGUI();
        const GUI::WindowHandle owner = gui ? gui->WindowOf(*this) : 0;
        const DeleteResult result = _shell->DeleteToRecycleBin(owner, path, false);
        switch (result.outcome) {
        case DeleteOutcome::Deleted:
            // The picture stays until another file opens.
            if (path == _path)
                _fileGone = true;
            break;
        case DeleteOutcome::Aborted: break;
        case DeleteOutcome::Failed: ShowNotice(Same(result.reason)); break;
        }
        UpdateButtons();
    });
}

void PlanoscopeApplication::PrintCurrentFile()
{
    Guarded("PrintFile", [this] {
        if (_path.Empty() || _fileGone || !_shell)
            return;
        GUI::GUI *gui = GetGUI();
        _shell->Execute(gui ? gui->WindowOf(*this) : 0, "print", _path);
    });
}

std::uint32_t PlanoscopeApplication::SlideshowInterval() const
{
    const std::int32_t chosen = _speed.GetSelectedIndex();
    const std::size_t entry =
        chosen >= 0 && std::size_t(chosen) < std::size(kSlideshowMilliseconds) ? std::size_t(chosen) : kDefaultSlideshowEntry;
    return kSlideshowMilliseconds[entry];
}

void PlanoscopeApplication::StartSlideshow()
{
    if (CurrentPosition().Empty()) {
        _slideshow.SetActive(false);
        return;
    }
    _slideshowRunning = true;
    _slideshow.SetActive(true);
    if (GUI::GUI *gui = GetGUI(); gui && gui->GetPlatform())
        gui->SetTimer(_slideshowTimer, SlideshowInterval());
    NextFile();
}

void PlanoscopeApplication::StopSlideshow()
{
    if (_slideshowRunning)
        if (GUI::GUI *gui = GetGUI(); gui && gui->GetPlatform())
            gui->SetTimer(_slideshowTimer, 0);
    _slideshowRunning = false;
    _slideshow.SetActive(false);
}

void PlanoscopeApplication::SlideshowTick()
{
    if (_slideshowRunning)
        NextFile();
}

void PlanoscopeApplication::ToggleFullscreen()
{
    _fullscreen = !_fullscreen;
    _toolbarShown = !_fullscreen;
    if (_frame.setFullscreen)
        _frame.setFullscreen(_fullscreen);
    UpdateFileSlider();
    LayOut();
    RequestRepaint();
}

void PlanoscopeApplication::ToggleHeaderTree()
{
    GUI::GUI *gui = GetGUI();
    if (_headerTree) {
        _headerTree->Close();
        UpdateButtons();
        return;
    }
    if (!gui || !_headers) {
        UpdateButtons();
        return;
    }
    const SharedPtr<ImageView::ISaveImageDialog> dialog =
        CreateSystemSaveDialog(*gui, *this, SaveDialogKind::CommaSeparated);
    const String proposed = _fileName + ".csv";
    _headerTree = ShowHeaderTree(*gui, _headers, _fileName, [dialog, proposed]() {
        return dialog ? String(StringExpr(dialog->AskSavePath(proposed.ToU16String()))) : String();
    });
    _headerTree->OnClose().ResetCallable([this](PropertyTree &) {
        // Releasing the tree releases this callback: nothing of it is used after.
        PlanoscopeApplication &self = *this;
        const SharedPtr<PropertyTree> closed = std::move(self._headerTree);
        self.UpdateButtons();
    });
    UpdateButtons();
}

void PlanoscopeApplication::OfferRAWImport(const String &path, const std::optional<RAWEntry> &entry, bool unclaimed)
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
        if (_frame.saveSettings)
            _frame.saveSettings();
    };
    callbacks.reload = [this](const String &again) {
        // Read again with the new entry, not from what was read before.
        const IFileList::Iterator position = CurrentPosition();
        if (_manager)
            _manager->Clear();
        OpenFile(again, position);
    };
    _rawImport = ShowRAWImportDialog(*gui, path, FileStream(path).size(), entry, std::move(callbacks));
}

// ---- input ----

bool PlanoscopeApplication::KeyHeld(std::uint32_t key) const
{
    const GUI::GUI *gui = GetGUI();
    const GUI::WindowPlatform *platform = gui ? gui->GetPlatform() : nullptr;
    return platform && platform->IsKeyHeld(key);
}

bool PlanoscopeApplication::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    // Escape closes the side panels first, the window once none is shown.
    if (key == Key::Escape && _viewer.Composite().CloseSidePanels())
        return true;
    if (PanelWithTransparentTitle::OnKeyDown(key, flags))
        return true;
    // A key of the map is taken even when its condition fails.
    switch (key) {
    case Key::Backspace:
        if (_fullscreen)
            ToggleFullscreen();
        else if (_frame.close)
            _frame.close();
        return true;
    case Key::Enter:
        if (_fullscreenButton.IsEnabled())
            ToggleFullscreen();
        return true;
    case Key::Space:
        if (_slideshow.IsEnabled())
            _slideshowRunning ? StopSlideshow() : StartSlideshow();
        return true;
    case Key::Left: PrevImage(); return true;
    case Key::Right: NextImage(); return true;
    case Key::Up:
        if (_slideshow.IsEnabled() && !CurrentPosition().Empty())
            PrevFile();
        return true;
    case Key::Down:
        if (_slideshow.IsEnabled() && !CurrentPosition().Empty())
            NextFile();
        return true;
    case Key::Insert:
        if (KeyHeld(Key::Shift))
            Paste();
        return true;
    case Key::Delete:
        if (_delete.IsEnabled())
            DeleteCurrentFile();
        return true;
    case Key::H:
        if (KeyHeld(Key::Control))
            ToggleHeaderTree();
        return true;
    case Key::L:
        if (KeyHeld(Key::Control) && KeyHeld(Key::Shift))
            ErrorLog::Log(__FILE_NAME__, __LINE__, "LOGGER TEST");
        return true;
    case Key::V:
        if (KeyHeld(Key::Control))
            Paste();
        return true;
    case Key::I:
    case Key::T: return true;
    default: break;
    }
    // Keys nobody else takes go to the view.
    return _viewer.Composite().View().OnKeyDown(key, flags);
}

int PlanoscopeApplication::OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y)
{
    if (const int taken = PanelWithTransparentTitle::OnMouseWheel(word, x, y))
        return taken;
    const std::int16_t delta = std::int16_t(std::uint16_t(word >> 16));
    if (delta < 0)
        PrevImage();
    else if (delta > 0)
        NextImage();
    return 1;
}

GUI::Control *PlanoscopeApplication::OnMouseMove(std::int32_t x, std::int32_t y)
{
    // In fullscreen the toolbars come back while the pointer is at the top.
    if (_fullscreen) {
        const bool near = LocalY(y) < GUIUnit(kFullscreenRevealHeight) ||
                          (_toolbarShown && LocalY(y) < _toolbarRect.y1);
        if (near != _toolbarShown) {
            _toolbarShown = near;
            LayOut();
            RequestRepaint();
        }
    }
    return PanelWithTransparentTitle::OnMouseMove(x, y);
}

// ---- layout ----

void PlanoscopeApplication::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    PanelWithTransparentTitle::SetRect(x0, y0, x1, y1);
    LayOut();
}

void PlanoscopeApplication::OnScaleChanged()
{
    PanelWithTransparentTitle::OnScaleChanged();
    LoadIcons();
    LayOut();
}

void PlanoscopeApplication::LoadIcons()
{
    const double scale = ScaleOrOne();
    if (scale == _iconScale)
        return;
    _iconScale = scale;
    const auto icon = [scale](const char *name) { return GUI::GetIconImage(name, scale); };
    _open.SetImage(icon("IconOpen.bmp"));
    _paste.SetImage(icon("IconInsert.bmp"));
    _screenImage.SetImage(icon("IconScreenVideo.bmp"));
    _screenVideo.SetImages(icon("IconScreenVideo.bmp"), icon("IconScreenVideoActive.bmp"));
    _explorer.SetImages(icon("IconExplorerExport.bmp"), icon("IconExplorerExportActive.bmp"));
    _print.SetImage(icon("IconPrint.bmp"));
    _delete.SetImage(icon("IconFileDelete.bmp"));
    _slideshow.SetImages(icon("IconPlay.bmp"), icon("IconPlayActive.bmp"));
    _header.SetImages(icon("IconInfo.bmp"), icon("IconInfoActive.bmp"));
    _output.SetImages(icon("IconConsoleOutput.bmp"), icon("IconConsoleOutputActive.bmp"));
    _settingsButton.SetImage(icon("IconConfig.bmp"));
    _about.SetImage(icon("IconAbout.bmp"));
    _fullscreenButton.SetImage(icon("IconFullscreen.bmp"));
}

void PlanoscopeApplication::LayOut()
{
    LoadIcons();
    const GUI::Rect r = GetRect();
    const std::int32_t width = r.Width(), height = r.Height();
    const double controlHeight = GetStyle() ? GetStyle()->controlHeight : 22.0;
    std::int32_t top = _fullscreen ? 0 : std::min(TitleHeight(), height);

    // The toolbars: one row while it fits, the second group below otherwise.
    const std::int32_t barHeight = std::min(GUIUnit(controlHeight + kToolbarExtra), height);
    const std::int32_t side = std::min(GUIUnit(controlHeight + kButtonExtra), barHeight);
    const std::int32_t listHeight = std::min(GUIUnit(controlHeight), barHeight);
    const std::int32_t spacing = GUIUnit(kSpacing), gap = GUIUnit(kGroupSpacing);
    GUI::Control *const first[] = {&_open, &_paste, &_screenImage, &_screenVideo, &_explorer, nullptr,
                                   &_print, &_delete, &_slideshow, &_speed};
    GUI::Control *const second[] = {&_header, &_output, &_settingsButton, &_about, &_fullscreenButton};
    const auto widthOf = [&](GUI::Control *c) { return c == &_speed ? GUIUnit(kSpeedListWidth) : side; };
    std::int32_t firstWidth = spacing, secondWidth = gap;
    for (GUI::Control *c : first)
        firstWidth += c ? widthOf(c) + spacing : gap;
    for (GUI::Control *c : second)
        secondWidth += widthOf(c) + spacing;
    const bool oneRow = firstWidth + secondWidth <= width;
    const std::int32_t rows = oneRow ? 1 : 2;
    _toolbarRect = GUI::Rect{0, top, width, std::min(height, top + rows * barHeight)};
    std::int32_t x = spacing, rowTop = top;
    const auto put = [&](GUI::Control &c) {
        const std::int32_t w = widthOf(&c), h = &c == &_speed ? listHeight : side;
        const std::int32_t y = rowTop + (barHeight - h) / 2;
        c.SetVisible(_toolbarShown);
        c.SetRect(x, y, x + w, y + h);
        x += w + spacing;
    };
    for (GUI::Control *c : first) {
        if (c)
            put(*c);
        else
            x += gap - spacing;
    }
    if (oneRow) {
        x += gap - spacing;
    } else {
        x = spacing;
        rowTop += barHeight;
    }
    for (GUI::Control *c : second)
        put(*c);
    if (_toolbarShown)
        top = _toolbarRect.y1;

    if (_notice.IsVisible()) {
        const std::int32_t h = std::min(GUIUnit(controlHeight), height - top);
        _notice.SetRect(0, top, width, top + h);
        top += h;
    }
    std::int32_t right = width;
    if (_fileSlider.IsVisible()) {
        const std::int32_t w = std::min(_fileSlider.ColumnWidth(), width);
        _fileSlider.SetRect(width - w, top, width, height);
        right -= w;
    }
    top = std::min(top, height);
    _viewer.SetRect(0, top, right, height);
    _volume.SetRect(0, top, right, height);
}

} // namespace Brintavolex
