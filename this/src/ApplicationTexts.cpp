#include "this/src/ApplicationTexts.h"

namespace Brintavolex::ApplicationTexts {

const TextPair PreviousFileKeys{String("Datei zurück [Pfeiltaste links][Pfeiltaste oben]"),
                                String("Previous file [arrow key left][arrow key up]")};
const TextPair NextFileKeys{String("Datei weiter [Pfeiltaste rechts][Pfeiltaste unten]"),
                            String("Next file [arrow key right][arrow key down]")};
const TextPair FileIndex{String("Dateiindex"), String("File index")};
const TextPair FileCount{String("Dateianzahl"), String("File count")};
const TextPair RunningPortably{
    String("Brintavolex Viewer läuft portabel. Strg+I öffnet den Installationsdialog."),
    String("Brintavolex Viewer is running portably. Press Ctrl+I to open the installation dialog.")};
const TextPair NotYetAvailable{String("Diese Funktion ist in dieser Version noch nicht verfügbar."),
                               String("This function is not available in this version yet.")};
const TextPair FileGone{String("Die Datei wurde gelöscht."), String("The file was deleted.")};
const TextPair DirectoryReading{String("Verzeichnis lesen: "), String("Directory reading: ")};
const TextPair NoPicturesInFolder{String("Der Ordner enthält keine Bilder: "), String("The folder holds no pictures: ")};
const TextPair OpenFailed{String("Die Datei konnte nicht geöffnet werden: "), String("The file could not be opened: ")};

} // namespace Brintavolex::ApplicationTexts
