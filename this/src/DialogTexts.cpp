// Compiled to Windows-1252: the German texts hold umlauts.
#include "this/src/DialogTexts.h"

namespace Brintavolex::DialogTexts {

const TextPair SettingsTitle{String("Einstellungen"), String("Settings")};
const TextPair Background{String("Hintergrund:"), String("Background:")};
const TextPair SamplingByZoom{String("Abtastmethode nach Vergrößerungsfaktor:"), String("Sampling method by zoom factor:")};
const TextPair Above100{String("> 100 %:"), String("> 100 %:")};
const TextPair At100{String("= 100 %:"), String("= 100 %:")};
const TextPair Below100{String("< 100 %:"), String("< 100 %:")};
const TextPair Renderer{String("Renderer:"), String("Renderer:")};
const TextPair RequiresRestart{String("(erfordert Programmneustart)"), String("(requires program restart)")};
const TextPair Language{String("Sprache:"), String("Language:")};
const TextPair LanguageAuto{String("Automatisch (Systemsprache)"), String("Automatic (system language)")};
const TextPair LanguageGerman{String("DE Deutsch"), String("DE German")};
const TextPair LanguageEnglish{String("EN Englisch"), String("EN English")};
const TextPair DeleteFile{String("\"Datei löschen\":"), String("\"Delete file\":")};
const TextPair DeleteNo{String("nein"), String("no")};
const TextPair DeleteYes{String("ja, Schaltfläche und [Entf] einschalten"), String("yes, enable button and [Delete]")};
const TextPair Icon{String("Symbol:"), String("Icon:")};
const TextPair IconDefault{String("Standard"), String("Default")};
const TextPair IconThumbnail{String("Miniaturansicht (2D-Bilder)"), String("Thumbnail (2D images)")};
const TextPair Cancel{String("Abbrechen"), String("Cancel")};
const TextPair CloseCancel{String("Schließen (Abbrechen) [ESC]"), String("Close (Cancel) [ESC]")};
const TextPair Black{String("Schwarz"), String("Black")};
const TextPair DarkGrey{String("Dunkelgrau"), String("Dark grey")};
const TextPair DefaultGrey{String("Grau (Standard)"), String("Grey (default)")};
const TextPair MediumGrey{String("Mittelgrau"), String("Medium grey")};
const TextPair LightGrey{String("Hellgrau"), String("Light grey")};
const TextPair White{String("Weiß"), String("White")};
const TextPair OwnColour{String("Eigene Farbe"), String("Own colour")};

const TextPair AboutTitle{String("Über Brintavolex Viewer"), String("About Brintavolex Viewer")};
const TextPair Version{String("Version"), String("Version")};
const TextPair Copyright{String("© 2026 die Entwickler von Brintavolex Viewer"),
                         String("© 2026 the Brintavolex Viewer developers")};
const TextPair OpenWebPage{String("Webseite im Browser öffnen"), String("Open the web page in the browser")};
const TextPair CloseEsc{String("Schließen [ESC]"), String("Close [ESC]")};

const TextPair WarningTitle{String("Warnung"), String("Warning")};
const std::array<TextPair, 5> ForcedAntiAliasing{{
    {String("Der Grafiktreiber erzwingt Kantenglättung (Anti-Aliasing)."),
     String("Forced anti-aliasing by the graphics driver was detected.")},
    {String("Das verringert die Genauigkeit und Geschwindigkeit unserer Bilddarstellung."),
     String("This reduces the precision and speed of our image presentation.")},
    {String("Bitte schalten Sie die erzwungene Kantenglättung in den 3D-/OpenGL-Einstellungen des Grafiktreibers ab"),
     String("Please deactivate forced anti-aliasing in the 3D/OpenGL settings of the graphics driver or choose")},
    {String("oder wählen Sie im Einstellungsdialog des Bildbetrachters einen anderen Renderer. Nach Änderungen ist"),
     String("another renderer in the settings dialog of the image viewer. After changes a program restart is")},
    {String("ein Programmneustart erforderlich."), String("required.")},
}};
const TextPair Quit{String("Beenden"), String("Quit")};
const TextPair Continue{String("Fortfahren"), String("Continue")};
const TextPair CloseContinue{String("Schließen (Fortfahren) [ESC]"), String("Close (Continue) [ESC]")};

} // namespace Brintavolex::DialogTexts
