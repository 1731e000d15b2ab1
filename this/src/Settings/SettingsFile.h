#pragma once

// Where the settings are kept and how they travel to and from their file.

#include "Root/api/String.h"

#include <cstddef>

namespace Brintavolex {

class PlanoscopeSettings;

// The user's roaming application-data folder + "Brintavolex Viewer"; the
// executable's folder when the system does not know the former.
String SettingsFolder();
// Where older versions kept theirs: the application-data folder +
// "Planoscope" (empty when unknown).
String OlderSettingsFolder();
String SettingsFilePath(const String &folder);

struct SettingsLoad {
    String file;                // what was read; empty when nothing was
    std::size_t failedValues = 0; // values that kept their defaults
};

// Reads "Brintavolex Viewer.ini" in folder, else the newest "Planoscope
// YYYY-MM-DD" in olderFolder. Every value that cannot be read (damaged,
// missing, from another version) keeps its default; the others are read
// all the same. Never throws for a file's content.
SettingsLoad LoadSettings(PlanoscopeSettings &settings, const String &folder, const String &olderFolder);

// Writes the whole tree to folder's file (creating the folder), replacing
// it whole: a failure at any point leaves the previous file as it was.
// Throws on failure.
void SaveSettings(PlanoscopeSettings &settings, const String &folder);

// The application's handle on the settings file: reads once, writes after
// changes, and never lets a failure end the program.
class SettingsStore
{
public:
    SettingsStore(PlanoscopeSettings &settings, String folder, String olderFolder);
    // The settings folders of this user.
    explicit SettingsStore(PlanoscopeSettings &settings);

    // Notifications fired while the file is read change nothing on disk.
    SettingsLoad Load();
    // False when the file could not be written: logged once until a save
    // works again; the settings stay in memory and the next change tries
    // again.
    bool Save() noexcept;
    const String &Folder() const noexcept { return _folder; }

private:
    PlanoscopeSettings &_settings;
    String _folder, _olderFolder;
    bool _loading = false;
    bool _failing = false;
};

} // namespace Brintavolex
