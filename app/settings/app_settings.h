#pragma once

// app/settings: what the program remembers between runs (this settings
// file, the recent cards) and the association of card files with it; no
// window.

#include <windows.h>

#include <cstdint>

#include "app/settings/card_history.h"
#include "core/qstring.h"

class SettingsArchive;

// What the program remembers between runs, with the values of a first run.
struct AppSettings {
    kiln::qstd::QString lastDatabasePath;  // empty: none
    int32_t treeWidth = 150;
    bool wordWrap = true;
    RECT windowRect{500, 500, 1200, 1200};
    int64_t lastSelectedCard = 0;
    bool treeLines = false;
    CardHistory history;
};

// LocalAppData\Vorlen, created when missing.
kiln::qstd::QString SettingsFolderPath();
// That folder + \Vorlen1.2.config.
kiln::qstd::QString SettingsFilePath();

// Stores or loads every field, in the order of the file, as the archive's
// mode says. A load that throws leaves the fields read before it in place.
void SerializeAppSettings(SettingsArchive& archive, AppSettings& settings);

// The defaults for a missing file, and for every field that a file too short
// or damaged does not hold.
AppSettings LoadAppSettings(const kiln::qstd::QString& path);
// Writes a complete file beside path and moves it into place, so that the
// old file stays whole until the new one is. False when it could not write;
// the old file is then untouched.
bool SaveAppSettings(const kiln::qstd::QString& path, const AppSettings& settings);
