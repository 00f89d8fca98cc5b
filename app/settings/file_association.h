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

// The ProgID under which this program opens card files.
extern const wchar_t kCardDatabaseProgId[];

// Who opens ".data" files for this user today, as the shell sees it (the
// user's own classes first, then the machine's).
struct DataFileOwner {
    enum Kind { None, ThisProgram, Other } kind = None;
    // For Other: the owner's friendly type name, else its ProgID or command.
    kiln::qstd::QString name;
};
DataFileOwner FindDataFileOwner();

// Registers ".data" files for the current user only (no administrator
// needed, and the program then keeps receiving files dropped from
// Explorer): the ProgID with its type name, icon and quoted open command,
// ".data" pointing at it and the ProgID among its OpenWithProgids. false
// when a value could not be written.
bool AssociateDataFiles(const kiln::qstd::QString& programPath);

// What "Associate extensions" ended with.
enum class AssociateOutcome { Associated, Declined, Failed };

// The "Associate extensions" command: another program that owns ".data"
// keeps it unless askTakeOver (given the owner's name) says yes.
template <typename AskTakeOver>
AssociateOutcome RunAssociateCommand(const kiln::qstd::QString& programPath, AskTakeOver askTakeOver) {
    const DataFileOwner owner = FindDataFileOwner();
    if (owner.kind == DataFileOwner::Other && !askTakeOver(owner.name)) return AssociateOutcome::Declined;
    return AssociateDataFiles(programPath) ? AssociateOutcome::Associated : AssociateOutcome::Failed;
}

// The path of the running program.
kiln::qstd::QString ProgramPath();
