#include "app/settings/file_association.h"

#include <shlobj.h>

#include <cwchar>

using kiln::qstd::QString;

const wchar_t kCardDatabaseProgId[] = L"Vorlen.CardDatabase";

namespace {

const wchar_t kClasses[] = L"Software\\Classes\\";
const wchar_t kDataExtension[] = L".data";
const wchar_t kTypeName[] = L"Vorlen card database";

// Owner of an open registry key.
class OpenKey {
public:
    OpenKey(HKEY root, const wchar_t* path, REGSAM access) {
        if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS) key = nullptr;
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (key) RegCloseKey(key);
    }
    HKEY Get() const { return key; }

private:
    HKEY key = nullptr;
};

// The default (or named) string value of root\path; empty when absent.
QString ReadString(HKEY root, const QString& path, const wchar_t* name = nullptr) {
    OpenKey key(root, path, KEY_READ);
    if (!key.Get()) return QString();
    wchar_t data[1024] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return QString();
    }
    return QString(data);
}

// A value of the classes as the shell merges them: the user's own first, then the machine's.
QString ReadClassString(const QString& path) {
    const QString user = ReadString(HKEY_CURRENT_USER, QString(kClasses) + path);
    return user.IsEmpty() ? ReadString(HKEY_LOCAL_MACHINE, QString(kClasses) + path) : user;
}

// Quoted, so that the shell never has to guess where a path with blanks ends.
QString Quoted(const QString& path) {
    return QString(L"\"") + path + L"\"";
}

}  // namespace

RegistryKey::RegistryKey(HKEY root, bool noFlush) : root(root), noFlush(noFlush) {}

bool RegistryKey::CreateKey(const QString& subkey) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (!noFlush) RegFlushKey(key);
    RegCloseKey(key);
    path = subkey;
    return true;
}

bool RegistryKey::KeyExists(const QString& subkey, HKEY under) const {
    return OpenKey(under ? under : root, subkey, KEY_ALL_ACCESS).Get() != nullptr;
}

bool RegistryKey::SetString(const QString& name, const QString& value) {
    const int length = value.GetLength();
    // Without a created key the path is empty, which would name the root itself.
    if (path.IsEmpty() || length >= kMaxValueLength) return false;
    wchar_t data[kMaxValueLength] = {};
    std::wmemcpy(data, value.c_str(), length);
    OpenKey key(root, path, KEY_WRITE);
    if (!key.Get()) return false;
    const DWORD bytes = static_cast<DWORD>(length + 1) * sizeof(wchar_t);
    const bool set = RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes) ==
                     ERROR_SUCCESS;
    if (!noFlush) RegFlushKey(key.Get());
    return set;
}

DataFileOwner FindDataFileOwner() {
    DataFileOwner owner;
    const QString progId = ReadClassString(kDataExtension);
    if (progId == QString(kCardDatabaseProgId)) {
        owner.kind = DataFileOwner::ThisProgram;
        return owner;
    }
    if (!progId.IsEmpty()) {
        owner.kind = DataFileOwner::Other;
        const QString typeName = ReadClassString(progId);
        owner.name = typeName.IsEmpty() ? progId : typeName;
        return owner;
    }
    // An open verb written straight onto the extension, without a ProgID.
    const QString command = ReadClassString(QString(kDataExtension) + L"\\Shell\\Open\\Command");
    if (!command.IsEmpty()) {
        owner.kind = DataFileOwner::Other;
        owner.name = command;
    }
    return owner;
}

bool AssociateDataFiles(const QString& programPath) {
    const QString progId = QString(kClasses) + kCardDatabaseProgId;
    const QString extension = QString(kClasses) + kDataExtension;
    RegistryKey key(HKEY_CURRENT_USER);
    const bool written = key.CreateKey(progId) && key.SetString(QString(), kTypeName) &&
                         key.CreateKey(progId + L"\\DefaultIcon") &&
                         key.SetString(QString(), Quoted(programPath) + L",0") &&
                         key.CreateKey(progId + L"\\shell\\open\\command") &&
                         key.SetString(QString(), Quoted(programPath) + L" \"%1\"") &&
                         key.CreateKey(extension + L"\\OpenWithProgids") &&
                         key.SetString(kCardDatabaseProgId, QString()) && key.CreateKey(extension) &&
                         key.SetString(QString(), kCardDatabaseProgId);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return written;
}

QString ProgramPath() {
    wchar_t module[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH + 1);
    return QString(module, static_cast<int>(length));
}
