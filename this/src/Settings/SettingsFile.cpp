#include "this/src/Settings/SettingsFile.h"

#include "Interface/api/RML.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/FileSystem.h"
#include "this/src/Settings/PlanoscopeSettings.h"

#include <exception>
#include <string>

namespace Brintavolex {

namespace {
constexpr char kFolderName[] = "Brintavolex Viewer";
constexpr char kFileName[] = "Brintavolex Viewer.ini";
constexpr char kOlderFolderName[] = "Planoscope";
// "Planoscope YYYY-MM-DD": the name, a space and the date of the version.
constexpr std::u16string_view kOlderPrefix = u"Planoscope ";
constexpr std::size_t kDateLength = 10;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsOlderSettingsName(std::u16string_view name)
{
    if (name.size() != kOlderPrefix.size() + kDateLength || !name.starts_with(kOlderPrefix))
        return false;
    const std::u16string_view date = name.substr(kOlderPrefix.size());
    for (std::size_t i = 0; i < kDateLength; ++i)
        if (!(i == 4 || i == 7 ? date[i] == u'-' : IsDigit(date[i])))
            return false;
    return true;
}

// The newest older settings file, or an empty text.
String NewestOlderFile(const String &olderFolder)
{
    if (olderFolder.Empty())
        return String();
    std::u16string best;
    for (const Platform::FolderEntry &entry : Platform::ListFolder(olderFolder)) {
        const std::u16string name = entry.name.ToU16String();
        if (entry.kind == Platform::FolderEntry::Kind::File && IsOlderSettingsName(name) &&
            (best.empty() || name.substr(name.size() - kDateLength) > best.substr(best.size() - kDateLength)))
            best = name;
    }
    return best.empty() ? String() : Platform::JoinPath(olderFolder, StringExpr(best));
}
} // namespace

String SettingsFolder()
{
    const String appData = Platform::RoamingAppDataFolder();
    if (!appData.Empty())
        return Platform::JoinPath(appData, kFolderName);
    return Platform::ExecutableFolder();
}

String OlderSettingsFolder()
{
    const String appData = Platform::RoamingAppDataFolder();
    return appData.Empty() ? String() : Platform::JoinPath(appData, kOlderFolderName);
}

String SettingsFilePath(const String &folder) { return Platform::JoinPath(folder, kFileName); }

SettingsLoad LoadSettings(PlanoscopeSettings &settings, const String &folder, const String &olderFolder)
{
    SettingsLoad load;
    load.file = SettingsFilePath(folder);
    if (!Platform::FileExists(load.file))
        load.file = NewestOlderFile(olderFolder);
    if (load.file.Empty())
        return load;
    try {
        IReaderFromPropertyReader reader(SharedPtr<PropertyReader>(new RMLPropertyReader(load.file)));
        load.failedValues = settings.ReadEach(reader);
    } catch (const std::exception &) {
        // Unreadable as a whole: every default stays.
        load.file = String();
    }
    return load;
}

void SaveSettings(PlanoscopeSettings &settings, const String &folder)
{
    Platform::CreateDirectories(folder);
    const SharedPtr<RMLPropertyWriter> text = RMLPropertyWriter::InMemory();
    IWriterFromPropertyWriter writer(text);
    settings.Write(writer);
    Platform::ReplaceFileAtomically(SettingsFilePath(folder), text->Bytes());
}

SettingsStore::SettingsStore(PlanoscopeSettings &settings, String folder, String olderFolder)
    : _settings(settings), _folder(std::move(folder)), _olderFolder(std::move(olderFolder))
{
}

SettingsStore::SettingsStore(PlanoscopeSettings &settings)
    : SettingsStore(settings, SettingsFolder(), OlderSettingsFolder())
{
}

SettingsLoad SettingsStore::Load()
{
    _loading = true;
    SettingsLoad load;
    try {
        load = LoadSettings(_settings, _folder, _olderFolder);
    } catch (...) {
        _loading = false;
        throw;
    }
    _loading = false;
    return load;
}

bool SettingsStore::Save() noexcept
{
    if (_loading)
        return true;
    try {
        SaveSettings(_settings, _folder);
        _failing = false;
        return true;
    } catch (const std::exception &e) {
        if (!_failing)
            BRINTAVOLEX_LOG(String("The settings could not be saved: ") + e.what());
        _failing = true;
        return false;
    } catch (...) {
        if (!_failing)
            BRINTAVOLEX_LOG("The settings could not be saved");
        _failing = true;
        return false;
    }
}

} // namespace Brintavolex
