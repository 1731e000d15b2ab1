#pragma once

// The content of the main window: the application's toolbars, the notice
// line, the current viewer (the 2D viewer with its image slider, or the
// slice viewer of a volume) and the file slider. It carries out the
// commands: open, walk the folder, delete, print, slideshow, fullscreen,
// header, settings, about.

#include "GUI/api/Button.h"
#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Widgets.h"
#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControl.h"
#include "PlanoscopeWidget/api/PlanoscopeStreamControl.h"
#include "PlanoscopeWidget/api/VerticalStreamSliderControl.h"
#include "RAW/api/RAWDecoder.h"
#include "this/src/Clipboard.h"
#include "this/src/DroppedData.h"
#include "this/src/FolderReading.h"
#include "this/src/FrameLoader.h"
#include "this/src/ImageManager.h"
#include "this/src/NoticeLine.h"
#include "this/src/PropertyTree.h"
#include "this/src/ShellCommands.h"
#include "this/src/Settings/PlanoscopeSettings.h"

#include <functional>
#include <memory>
#include <optional>

namespace Brintavolex {

class RAWImportDialog;

class PlanoscopeApplication : public GUI::PanelWithTransparentTitle {
public:
    // Slideshow intervals in list order (the list's texts say the same in
    // seconds); the default entry is 5 s.
    static constexpr std::uint32_t kSlideshowMilliseconds[15] = {30000, 25000, 20000, 15000, 10000, 5000, 2000, 1000,
                                                                 500,   200,   100,   67,    50,    40,    33};
    static constexpr std::size_t kDefaultSlideshowEntry = 5;

    // What the main frame does for the application.
    struct Frame {
        // Cover the monitor (true) or return to the window (false).
        std::function<void(bool)> setFullscreen;
        // Ends the program (Backspace in window mode).
        std::function<void()> close;
        // Saves the settings after a change the application made.
        std::function<void()> saveSettings;
        // The settings, about and warning dialogs.
        std::function<void()> showSettings, showAbout;
        // Asks for a file to open; empty when cancelled.
        std::function<String()> askOpenPath;
        // What the clipboard offers to paste.
        std::function<ClipboardContent()> readClipboard;
    };

    PlanoscopeApplication(PlanoscopeSettings &settings, SharedPtr<IShellCommands> shell);
    ~PlanoscopeApplication() override;

    void SetFrame(Frame frame) { _frame = std::move(frame); }
    // Where background work reports (default: the GUI's poster).
    void SetPoster(SharedPtr<IGuiThreadPoster> poster);

    // Opens a file: with position, that place of an existing list; else
    // the list of the file's folder is built around it.
    void OpenFile(const String &path, IFileList::Iterator position = {});
    // A file chosen in the open dialog: its folder's list in folder order.
    void OpenChosenFile(const String &path);
    // What was dropped (or pasted as files): the first file with its
    // folder's list, a folder with all pictures in and below it, or a
    // virtual file without a list; a drop that could not be read is said.
    void OpenDropped(DroppedItem item);
    // The same once the system's drop call has returned: the dragging
    // program waits for it, and building a list asks the shell, which may
    // be that very program.
    void OpenDroppedLater(DroppedItem item);
    // Opens bytes that have no file (see PrepareMemoryDocument).
    void OpenMemory(std::vector<std::uint8_t> bytes, const String &name);
    // Ctrl+V, Shift+Insert, the clipboard button: a file on the clipboard
    // opens as a dropped one, a bitmap as "Clipboard.dib"; nothing there
    // does nothing.
    void Paste();
    // Shows an image that has no file behind it.
    void ShowImage(const SharedPtr<Data::Image2DBase> &image, StringExpr name);
    // The notice line: the portable notice, the wrong-extension warning, a
    // file that did not open. Empty hides it.
    void ShowNotice(const TextPair &text);
    const TextPair &Notice() const noexcept { return _notice.GetText(); }
    bool IsNoticeShown() const noexcept { return _notice.IsVisible(); }
    GUI::Rect NoticeRect() const noexcept { return _notice.GetRect(); }

    // The commands (buttons and keys).
    void NextFile();
    void PrevFile();
    void NextImage();
    void PrevImage();
    void DeleteCurrentFile();
    void PrintCurrentFile();
    void StartSlideshow();
    void StopSlideshow();
    bool IsSlideshowRunning() const noexcept { return _slideshowRunning; }
    std::uint32_t SlideshowInterval() const;
    void ToggleFullscreen();
    bool IsFullscreen() const noexcept { return _fullscreen; }
    // Ctrl+H: the decoded file's headers in a window of their own, or that
    // window closed again.
    void ToggleHeaderTree();
    bool IsHeaderTreeShown() const noexcept { return bool(_headerTree); }
    // Cancels timers and work and releases the document (closing).
    void Shutdown();

    // The file shown (empty before any) and the current list position.
    const String &CurrentPath() const noexcept { return _path; }
    const IFileList::Iterator &CurrentPosition() const noexcept { return _manager ? _manager->Current() : _noPosition; }
    ImageManager *Manager() noexcept { return _manager.get(); }
    bool IsLoading() const noexcept
    {
        return _folderReading || (_manager && _manager->IsLoading()) || (_frames && _frames->IsLoading());
    }
    // Why the last file did not open; empty when it did.
    const String &Problem() const noexcept { return _problem; }
    // The window title: "name - Brintavolex Viewer".
    String TitleText() const;

    ImageView::Planoscope &View() noexcept { return _viewer.Composite().View(); }
    ImageView::PlanoscopeControlList &Viewer() noexcept { return _viewer.Composite(); }
    ImageView::PlanoscopeStreamControl &Stream() noexcept { return _viewer; }
    ImageView::ImageViewXYXZYZ3DControl &Volume() noexcept { return _volume; }
    bool IsShowingVolume() const noexcept { return _volume.IsVisible(); }
    std::uint64_t ShownIndex() const noexcept { return _shownIndex; }
    VerticalStreamSliderControl &FileSlider() noexcept { return _fileSlider; }
    const SharedPtr<RAWImportDialog> &RAWImport() const noexcept { return _rawImport; }

    // The toolbar's children.
    GUI::Button &OpenButton() noexcept { return _open; }
    GUI::Button &PasteButton() noexcept { return _paste; }
    GUI::Button &ScreenImageButton() noexcept { return _screenImage; }
    GUI::TwoStateButton &ScreenVideoButton() noexcept { return _screenVideo; }
    GUI::TwoStateButton &ExplorerButton() noexcept { return _explorer; }
    GUI::Button &PrintButton() noexcept { return _print; }
    GUI::Button &DeleteButton() noexcept { return _delete; }
    GUI::TwoStateButton &SlideshowButton() noexcept { return _slideshow; }
    GUI::DropDownList &SlideshowSpeedList() noexcept { return _speed; }
    GUI::TwoStateButton &HeaderButton() noexcept { return _header; }
    GUI::TwoStateButton &OutputButton() noexcept { return _output; }
    GUI::Button &SettingsButton() noexcept { return _settingsButton; }
    GUI::Button &AboutButton() noexcept { return _about; }
    GUI::Button &FullscreenButton() noexcept { return _fullscreenButton; }
    // The toolbar column's rectangle (panel coordinates); empty while hidden.
    GUI::Rect ToolbarRect() const noexcept { return _toolbarShown ? _toolbarRect : GUI::Rect{}; }

    // Deletion became allowed or forbidden in the settings.
    void DeletionSettingChanged();

    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;

private:
    void Ready(const SharedPtr<PreparedDocument> &document);
    void ShowDocument(const PreparedDocument &document);
    void ShowFrame(std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t exifOrientation);
    void ShowStream(std::uint64_t count, std::uint64_t first, std::vector<std::uint32_t> delays);
    void UpdateFileSlider();
    void UpdateButtons();
    void UpdateTitle();
    void LayOut();
    void LoadIcons();
    void ChooseFirstZoom();
    void SlideshowTick();
    void PrefetchWhenIdle();
    // What the view would resample for a prefetched picture, from its state now.
    ImageManager::PaintAhead PaintAheadForView() const;
    // A command that failed: logged and said in the notice line.
    template <class F> void Guarded(const char *command, F &&f);
    void OfferRAWImport(const String &path, const std::optional<RAWEntry> &entry, bool unclaimed);
    ImageManager &RequireManager();
    SharedPtr<IGuiThreadPoster> RequirePoster();
    void OpenFolder(const String &folder);
    bool KeyHeld(std::uint32_t key) const;

    PlanoscopeSettings &_settings;
    SharedPtr<IShellCommands> _shell;
    Frame _frame;
    SharedPtr<IGuiThreadPoster> _poster;
    std::unique_ptr<ImageManager> _manager;
    // A dropped folder being read; replaced by whatever opens next.
    std::unique_ptr<FolderReading> _folderReading;
    IFileList::Iterator _noPosition;

    // Toolbar, in display order.
    GUI::TransparentBackgroundButton _open, _paste, _screenImage;
    GUI::TwoStateButton _screenVideo, _explorer;
    GUI::TransparentBackgroundButton _print, _delete;
    GUI::TwoStateButton _slideshow;
    GUI::DropDownList _speed;
    GUI::TwoStateButton _header, _output;
    GUI::TransparentBackgroundButton _settingsButton, _about, _fullscreenButton;
    NoticeLine _notice;
    VerticalStreamSliderControl _fileSlider;
    ImageView::PlanoscopeStreamControl _viewer;
    ImageView::ImageViewXYXZYZ3DControl _volume;

    GUI::Rect _toolbarRect;
    bool _toolbarShown = true;
    double _iconScale = 0;

    // The document.
    String _path, _fileName;
    SharedPtr<IProperty> _headers;
    SharedPtr<PropertyTree> _headerTree;
    SharedPtr<RAWImportDialog> _rawImport;
    String _problem;
    std::unique_ptr<FrameLoader> _frames;
    std::vector<std::uint32_t> _delays;
    std::uint64_t _shownIndex = 0;
    bool _shownAny = false;
    bool _fileGone = false;
    SharedPtr<IFileList> _shownList;

    bool _slideshowRunning = false;
    bool _fullscreen = false;
    Function2<void()> _slideshowTimer;
    // Tasks posted to the GUI thread run only while this lives.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

} // namespace Brintavolex
