#pragma once

#include <windows.h>

#include "core/qstring.h"

// One subkey of a registry root at a time: CreateKey makes (or opens) it and
// remembers it, SetString writes its values.
class RegistryKey {
public:
    // Registry string values are kept below this many code units.
    static const int kMaxValueLength = 255;

    // With noFlush clear, every change is flushed to the disk at once.
    explicit RegistryKey(HKEY root = HKEY_CURRENT_USER, bool noFlush = true);

    bool CreateKey(const kiln::qstd::QString& path);
    // Whether path opens under root (the key's own root when null).
    bool KeyExists(const kiln::qstd::QString& path, HKEY root = nullptr) const;
    // Sets the string value name (empty: the default value) of the key
    // created last; false while none was created. A value of kMaxValueLength
    // or more code units is refused without touching the registry.
    bool SetString(const kiln::qstd::QString& name, const kiln::qstd::QString& value);

private:
    HKEY root;
    bool noFlush;
    kiln::qstd::QString path;
};

// Whether the process runs with the rights of the built-in Administrators group.
bool IsUserAdmin();
// Whether ".data" files are registered with the shell at all (with any program).
bool IsDataFileAssociated();
// Registers ".data" files to open in this program, for the whole machine.
void AssociateDataFiles();

// The "Associate extensions" command: the refusal text when the user has no
// administrative rights, else an empty text once ".data" files are
// associated (an existing association is left as it is).
kiln::qstd::QString RunAssociateCommand();
kiln::qstd::QString RunAssociateCommand(bool userIsAdmin);
