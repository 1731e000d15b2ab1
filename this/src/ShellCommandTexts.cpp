// Compiled to Windows-1252: the German texts hold umlauts.
#include "this/src/ShellCommands.h"

#include "Platform/api/Language.h"

namespace Brintavolex {

namespace {
// ShellExecute's results of 32 and below that have a text of their own.
constexpr std::intptr_t kOutOfResources = 0;
constexpr std::intptr_t kFileNotFound = 2;
constexpr std::intptr_t kPathNotFound = 3;
constexpr std::intptr_t kAccessDenied = 5;
constexpr std::intptr_t kOutOfMemory = 8;
constexpr std::intptr_t kBadFormat = 11;
constexpr std::intptr_t kSharingViolation = 26;
constexpr std::intptr_t kAssociationIncomplete = 27;
constexpr std::intptr_t kDdeTimeout = 28;
constexpr std::intptr_t kDdeFailed = 29;
constexpr std::intptr_t kDdeBusy = 30;
constexpr std::intptr_t kNoAssociation = 31;
constexpr std::intptr_t kDllNotFound = 32;

struct CodeText {
    std::intptr_t code;
    const char *german;
    const char *english;
};

constexpr CodeText kTexts[] = {
    {kOutOfResources, "Das Betriebssystem hat nicht genug Speicher oder Ressourcen.",
     "The operating system is out of memory or resources."},
    {kFileNotFound, "ERROR_FILE_NOT_FOUND/SE_ERR_FNF\nDie angegebene Datei wurde nicht gefunden.",
     "ERROR_FILE_NOT_FOUND/SE_ERR_FNF\nThe specified file was not found."},
    {kPathNotFound, "ERROR_PATH_NOT_FOUND/SE_ERR_PNF\nDer angegebene Pfad wurde nicht gefunden.",
     "ERROR_PATH_NOT_FOUND/SE_ERR_PNF\nThe specified path was not found."},
    {kAccessDenied, "SE_ERR_ACCESSDENIED\nDas Betriebssystem hat den Zugriff auf die angegebene Datei verweigert.",
     "SE_ERR_ACCESSDENIED\nThe operating system denied access to the specified file."},
    {kOutOfMemory, "SE_ERR_OOM\nFür den Vorgang war nicht genug Speicher vorhanden.",
     "SE_ERR_OOM\nThere was not enough memory to complete the operation."},
    {kBadFormat, "ERROR_BAD_FORMAT\nDie .exe-Datei ist ungültig (keine Win32-.exe oder Fehler im .exe-Abbild).",
     "ERROR_BAD_FORMAT\nThe .exe file is invalid (non-Win32 .exe or error in .exe image)."},
    {kSharingViolation, "SE_ERR_SHARE\nEine Freigabeverletzung ist aufgetreten.",
     "SE_ERR_SHARE\nA sharing violation occurred."},
    {kAssociationIncomplete, "SE_ERR_ASSOCINCOMPLETE\nDie Zuordnung des Dateinamens ist unvollständig oder ungültig.",
     "SE_ERR_ASSOCINCOMPLETE\nThe file name association is incomplete or invalid."},
    {kDdeTimeout,
     "SE_ERR_DDETIMEOUT\nDie DDE-Transaktion konnte nicht abgeschlossen werden, weil die Anforderung das "
     "Zeitlimit überschritten hat.",
     "SE_ERR_DDETIMEOUT\nThe DDE transaction could not be completed because the request timed out."},
    {kDdeFailed, "SE_ERR_DDEFAIL\nDie DDE-Transaktion ist fehlgeschlagen.", "SE_ERR_DDEFAIL\nThe DDE transaction failed."},
    {kDdeBusy,
     "SE_ERR_DDEBUSY\nDie DDE-Transaktion konnte nicht abgeschlossen werden, weil andere DDE-Transaktionen "
     "verarbeitet wurden.",
     "SE_ERR_DDEBUSY\nThe DDE transaction could not be completed because other DDE transactions were being "
     "processed."},
    {kNoAssociation,
     "SE_ERR_NOASSOC\nDer Dateinamenerweiterung ist keine Anwendung zugeordnet. Dieser Fehler tritt auch auf, "
     "wenn eine Datei gedruckt werden soll, die nicht druckbar ist.",
     "SE_ERR_NOASSOC\nThere is no application associated with the given file name extension. This error will also "
     "be returned if you attempt to print a file that is not printable."},
    {kDllNotFound, "SE_ERR_DLLNOTFOUND\nDie angegebene DLL wurde nicht gefunden.",
     "SE_ERR_DLLNOTFOUND\nThe specified DLL was not found."},
};
} // namespace

String ShellExecuteErrorText(std::intptr_t code, const String &systemText)
{
    for (const CodeText &text : kTexts)
        if (text.code == code)
            return String(Locale::GetLanguageIndex() == 0 ? text.german : text.english);
    return systemText;
}

} // namespace Brintavolex
