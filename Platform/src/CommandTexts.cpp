// Compiled to Windows-1252: the German texts hold umlauts.
#include "Platform/api/CommandTexts.h"

namespace Brintavolex::Texts {

const TextPair OpenFileEllipsis{String("Datei öffnen..."), String("Open file...")};
const TextPair PreviousFile{String("Datei zurück [Pfeiltaste oben]"), String("Previous file [arrow key up]")};
const TextPair PreviousFileDisabled{String("Datei zurück [Pfeiltaste oben]. Möglich, wenn eine Datei geöffnet ist."), String("Previous file [arrow key up]. Please open a file to enable this action.")};
const TextPair NextFile{String("Datei weiter [Pfeiltaste unten]"), String("Next file [arrow key down]")};
const TextPair NextFileDisabled{String("Datei weiter [Pfeiltaste unten]. Möglich, wenn eine Datei geöffnet ist."), String("Next file [arrow key down]. Please open a file to enable this action.")};
const TextPair DeleteFile{String("Datei löschen [Entf]"), String("Delete file [Delete]")};
const TextPair DeleteFileDisabled{String("Datei löschen [Entf]. Möglich, wenn eine Datei geöffnet ist und Löschen in den Einstellungen erlaubt ist."), String("Delete file [Delete]. Please open a file and enable deletion in the settings to enable this action.")};
const TextPair PrintFile{String("Datei drucken"), String("Print file")};
const TextPair PrintFileDisabled{String("Datei drucken. Möglich, wenn eine Datei geöffnet ist."), String("Print file. Please open a file to enable this action.")};
const TextPair DeleteFileTitle{String("Datei löschen"), String("Delete File")};
const TextPair InsertClipboard{String("Zwischenablage einfügen [Strg+V][Umschalt+Einfg]"), String("Insert clipboard [Ctrl+V][Shift+Insert]")};
const TextPair InsertScreenAsImage{String("Bildschirm als Bild einfügen"), String("Insert screen as image")};
const TextPair InsertScreenAsVideo{String("Bildschirm als Video einfügen"), String("Insert screen as video")};
const TextPair ShowHeader{String("Header anzeigen"), String("Show header")};
const TextPair HideHeader{String("Header verbergen"), String("Hide header")};
const TextPair SettingsEllipsis{String("Einstellungen..."), String("Settings...")};
const TextPair OutputEllipsis{String("Ausgabe..."), String("Output...")};
const TextPair TasksEllipsis{String("Aufgaben..."), String("Tasks...")};
const TextPair AboutEllipsis{String("About Brintavolex Viewer..."), String("About Brintavolex Viewer...")};
const TextPair FullscreenWindowMode{String("Vollbild/Fenster-Modus [Eingabe]"), String("Fullscreen/Window mode [Enter]")};
const TextPair StartSlideshow{String("Diashow starten [Leertaste]"), String("Start slideshow [Space]")};
const TextPair StopSlideshow{String("Diashow stoppen [Leertaste]"), String("Stop slideshow [Space]")};
const TextPair SlideshowSpeed{String("Diashow Geschwindigkeit"), String("Slideshow speed")};
const TextPair EnableExplorerSelection{String("Dateiauswahl im Explorer einschalten"), String("Enable file selection in explorer")};
const TextPair DisableExplorerSelection{String("Dateiauswahl im Explorer ausschalten"), String("Disable file selection in explorer")};
const TextPair UpdateFileList{String("Dateiliste aktualisieren"), String("Update file list")};
const TextPair NotEnoughMemory{String("Nicht genug Speicher!"), String("Not enough memory!")};
const TextPair OpenFile{String("Datei öffnen"), String("Open file")};
const TextPair FileNotOpened{String("Die Datei konnte nicht geöffnet werden."), String("The file could not be opened.")};
const TextPair FileNotOpenedInternalMessage{String("Die Datei konnte nicht geöffnet werden. Interne Meldung: "), String("The file could not be opened. Internal message: ")};
const TextPair FileNotOpenedNotEnoughMemory{String("Die Datei konnte nicht geöffnet werden: Nicht genug Speicher!"), String("The file could not be opened: Not enough memory!")};
const TextPair ObjectNotOpened{String("Das Objekt konnte nicht geöffnet werden"), String("The object could not be opened")};
const TextPair ObjectNotOpenedInternalMessage{String("Das Objekt konnte nicht geöffnet werden. Interne Meldung: "), String("The object could not be opened. Internal message: ")};
const TextPair ObjectNotOpenedNotEnoughMemory{String("Das Objekt konnte nicht geöffnet werden: Nicht genug Speicher!"), String("The object could not be opened: Not enough memory!")};
const TextPair Clipboard{String("Zwischenablage"), String("Clipboard")};
const TextPair WrongExtensionWarning{String("Warnung: Diese Datei könnte eine falsche Dateinamenserweiterung haben!"), String("Warning: This file could have a wrong filename extension!")};
const TextPair FitViewToWindow{String("Ansicht an Fenstergröße anpassen"), String("Fit view to window size")};
const TextPair ZoomOut{String("Ansicht verkleinern [-]"), String("Zoom out [-]")};
const TextPair ZoomIn{String("Ansicht vergrößern [+]"), String("Zoom in [+]")};
const TextPair ZoomFactor{String("Vergrößerungsfaktor"), String("Zoom factor")};
const TextPair Linear{String("Linear"), String("Linear")};
const TextPair Cubic{String("Kubisch"), String("Cubic")};
const TextPair NearestNeighbor{String("Nearest neighbor"), String("Nearest neighbor")};
const TextPair AreaSampling{String("Area sampling"), String("Area sampling")};
const TextPair MipMapBilinear{String("MipMap Bilinear"), String("MipMap Bilinear")};
const TextPair MipMapTrilinear{String("MipMap Trilinear"), String("MipMap Trilinear")};
const TextPair SamplingMethod{String("Abtastmethode"), String("Sampling method")};
const TextPair RotateCounterclockwise{String("Ansicht um 90° nach links drehen"), String("Rotate view 90° counterclockwise")};
const TextPair RotateClockwise{String("Ansicht um 90° nach rechts drehen"), String("Rotate view 90° clockwise")};
const TextPair RotationAngle{String("Drehwinkel"), String("Rotation angle")};
const TextPair ShowRuler{String("Lineal anzeigen"), String("Show ruler")};
const TextPair HideRuler{String("Lineal verbergen"), String("Hide ruler")};
const TextPair ShowScrollBars{String("Scrollleisten anzeigen"), String("Show scroll bars")};
const TextPair HideScrollBars{String("Scrollleisten verbergen"), String("Hide scroll bars")};
const TextPair ShowHistogram{String("Histogramm anzeigen"), String("Show Histogram")};
const TextPair HideHistogram{String("Histogramm verbergen"), String("Hide Histogram")};
const TextPair ShowRGBValues{String("RGB-Werte für hohe Vergrößerungsfaktoren anzeigen"), String("Show RGB values for high zoom factors")};
const TextPair HideRGBValues{String("RGB-Werte für hohe Vergrößerungsfaktoren verbergen"), String("Hide RGB values for high zoom factors")};
const TextPair ShowBrightnessContrast{String("Helligkeit / Kontrast anzeigen"), String("Show Brightness / Contrast")};
const TextPair HideBrightnessContrast{String("Helligkeit / Kontrast verbergen"), String("Hide Brightness / Contrast")};
const TextPair SaveImageAs{String("Bild speichern unter..."), String("Save image as...")};
const TextPair ImageNotLoadedCompletely{String("Fehler: Dieses Bild konnte nicht vollständig geladen werden!"), String("Error: This image could not be loaded completely!")};
const TextPair PreviousImage{String("Bild zurück"), String("Previous image")};
const TextPair PreviousImageKey{String("Bild zurück [Pfeiltaste links]"), String("Previous image [arrow key left]")};
const TextPair NextImage{String("Bild weiter"), String("Next image")};
const TextPair NextImageKey{String("Bild weiter [Pfeiltaste rechts]"), String("Next image [arrow key right]")};
const TextPair ImageIndex{String("Bildindex"), String("Image index")};
const TextPair ImageCount{String("Bildanzahl"), String("Image count")};
const TextPair PlaneXYXZYZ{String("XY/XZ/YZ-Ebene"), String("XY/XZ/YZ plane")};
const TextPair ResolutionNotSupported{String("Die Bildauflösung wird von Ihrer Grafikkarte nicht unterstützt."), String("The image resolution is not supported by your graphics card.")};

std::span<const TextPair *const> All()
{
    static const TextPair *const all[] = {
        &OpenFileEllipsis,
        &PreviousFile,
        &PreviousFileDisabled,
        &NextFile,
        &NextFileDisabled,
        &DeleteFile,
        &DeleteFileDisabled,
        &PrintFile,
        &PrintFileDisabled,
        &DeleteFileTitle,
        &InsertClipboard,
        &InsertScreenAsImage,
        &InsertScreenAsVideo,
        &ShowHeader,
        &HideHeader,
        &SettingsEllipsis,
        &OutputEllipsis,
        &TasksEllipsis,
        &AboutEllipsis,
        &FullscreenWindowMode,
        &StartSlideshow,
        &StopSlideshow,
        &SlideshowSpeed,
        &EnableExplorerSelection,
        &DisableExplorerSelection,
        &UpdateFileList,
        &NotEnoughMemory,
        &OpenFile,
        &FileNotOpened,
        &FileNotOpenedInternalMessage,
        &FileNotOpenedNotEnoughMemory,
        &ObjectNotOpened,
        &ObjectNotOpenedInternalMessage,
        &ObjectNotOpenedNotEnoughMemory,
        &Clipboard,
        &WrongExtensionWarning,
        &FitViewToWindow,
        &ZoomOut,
        &ZoomIn,
        &ZoomFactor,
        &Linear,
        &Cubic,
        &NearestNeighbor,
        &AreaSampling,
        &MipMapBilinear,
        &MipMapTrilinear,
        &SamplingMethod,
        &RotateCounterclockwise,
        &RotateClockwise,
        &RotationAngle,
        &ShowRuler,
        &HideRuler,
        &ShowScrollBars,
        &HideScrollBars,
        &ShowHistogram,
        &HideHistogram,
        &ShowRGBValues,
        &HideRGBValues,
        &ShowBrightnessContrast,
        &HideBrightnessContrast,
        &SaveImageAs,
        &ImageNotLoadedCompletely,
        &PreviousImage,
        &PreviousImageKey,
        &NextImage,
        &NextImageKey,
        &ImageIndex,
        &ImageCount,
        &PlaneXYXZYZ,
        &ResolutionNotSupported,
    };
    return all;
}

} // namespace Brintavolex::Texts
