#include "app/settings/file_association.h"

#include <shlobj.h>

#include <cwchar>

using kiln::qstd::QString;

namespace {

const wchar_t kDataExtension[] = L".data";
const wchar_t kCommandKey[] = L".data\\Shell\\Open\\Command\\";
const wchar_t kIconKey[] = L".data\\DefaultIcon";
const wchar_t kNeedAdmin[] = L"Need administrative privileges! (Run as admin and try again).";

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

// The shell's open command: the program unquoted, then the file quoted.
QString OpenCommand() {
    wchar_t module[261] = {};
    GetModuleFileNameW(nullptr, module, 261);
    return QString(module) + L" \"%1\"";
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

bool IsUserAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

bool IsDataFileAssociated() {
    return RegistryKey().KeyExists(kDataExtension, HKEY_CLASSES_ROOT);
}

void AssociateDataFiles() {
    RegistryKey key(HKEY_CLASSES_ROOT);
    key.CreateKey(kDataExtension);
    key.SetString(QString(), L"data");
    key.CreateKey(kCommandKey);
    key.SetString(QString(), OpenCommand());
    key.CreateKey(kIconKey);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

QString RunAssociateCommand() {
    return RunAssociateCommand(IsUserAdmin());
}

QString RunAssociateCommand(bool userIsAdmin) {
    if (!userIsAdmin) return kNeedAdmin;
    if (!IsDataFileAssociated()) AssociateDataFiles();
    return QString();
}
