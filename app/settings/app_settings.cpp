#include "app/settings/app_settings.h"

#include <shlobj.h>

#include "app/settings/settings_archive.h"
#include "core/qerror.h"
#include "core/qfile.h"

using kiln::files::QFile;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// The file a save writes before it replaces the settings file. One fixed
// name: a save cut short leaves at most this one stray file, which the next
// save overwrites.
QString PendingPath(const QString& path) {
    return path + L".new";
}

void SerializeFlag(SettingsArchive& archive, bool& flag) {
    if (archive.IsStoring()) {
        archive.WriteByte(flag ? 1 : 0);
    } else {
        flag = archive.ReadByte() != 0;
    }
}

bool WriteSettingsFile(const QString& path, const AppSettings& settings) {
    QFile file;
    if (!file.Open(path, QFile::modeCreate | QFile::modeWrite)) return false;
    SettingsArchive archive(file, SettingsArchive::Mode::Store);
    // Storing only reads the fields; the copy spares a const_cast.
    AppSettings stored = settings;
    SerializeAppSettings(archive, stored);
    // The bytes must be on the disk before the name points at them.
    return archive.Close() && FlushFileBuffers(file.GetHandle()) && file.Close();
}

}  // namespace

QString SettingsFolderPath() {
    QString folder;
    wchar_t* localAppData = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData))) {
        folder = QString(localAppData) + L"\\Vorlen";
        CreateDirectoryW(folder, nullptr);
    }
    CoTaskMemFree(localAppData);
    return folder;
}

QString SettingsFilePath() {
    const QString folder = SettingsFolderPath();
    return folder.IsEmpty() ? folder : folder + L"\\Vorlen1.2.config";
}

void SerializeAppSettings(SettingsArchive& archive, AppSettings& settings) {
    if (archive.IsStoring()) {
        archive.WriteString(settings.lastDatabasePath);
        archive.WriteInt32(settings.treeWidth);
        archive.WriteBlock16(&settings.windowRect);
        archive.WriteInt64(settings.lastSelectedCard);
        SerializeFlag(archive, settings.treeLines);
        archive.WriteInt64Array(settings.history.GetIds());
        SerializeFlag(archive, settings.wordWrap);
        return;
    }
    // Each field changes only once all of its bytes were read.
    settings.lastDatabasePath = archive.ReadString();
    settings.treeWidth = archive.ReadInt32();
    RECT rect;
    archive.ReadBlock16(&rect);
    settings.windowRect = rect;
    settings.lastSelectedCard = archive.ReadInt64();
    SerializeFlag(archive, settings.treeLines);
    settings.history.Assign(archive.ReadInt64Array());
    SerializeFlag(archive, settings.wordWrap);
}

AppSettings LoadAppSettings(const QString& path) {
    AppSettings settings;
    QFile file;
    if (!file.Open(path, QFile::modeRead)) return settings;
    SettingsArchive archive(file, SettingsArchive::Mode::Load);
    try {
        SerializeAppSettings(archive, settings);
    } catch (const QError&) {
        // A file cut short or damaged: what was read stands, the rest keeps
        // its default.
    }
    return settings;
}

bool SaveAppSettings(const QString& path, const AppSettings& settings) {
    // Without a folder there is no place for the file (and a bare name would
    // land in whatever the current folder is).
    if (path.IsEmpty()) return false;
    const QString pending = PendingPath(path);
    if (!WriteSettingsFile(pending, settings)) {
        DeleteFileW(pending);
        return false;
    }
    if (!MoveFileExW(pending, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(pending);
        return false;
    }
    return true;
}
