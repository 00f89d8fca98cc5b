#pragma once

#include <windows.h>

#include "store/cipher/file_operations.h"

// What happens at the chosen operation.
enum class Fault {
    IoError,            // the operation fails
    DiskFull,           // the operation fails for want of space
    EndProcess,         // the process ends before the operation, as if killed
    TornWriteThenEnd,   // half of the write reaches the file, then the process ends
};

// Exit code of a child process that was ended at its chosen point.
constexpr DWORD kEndedAtFaultExitCode = 99;

[[noreturn]] void endProcessHere();

// A file system over SQLite's Windows one, registered as kFaultyVfs, that
// counts writes and syncs of every file and acts at the chosen one; the
// enciphering layer is registered over it as kFaultyCipherVfs.
constexpr const char* kFaultyVfs = "vorlen-faulty";
constexpr const char* kFaultyCipherVfs = "vorlen-cipher-faulty";
void registerFaultyVfs();

enum class FileOperationKind { Write, Sync, Any };
// From now on, the nth operation of the kind (counting from 1) meets the
// fault, and so does every later one of that kind when sticky.
void armFaultyVfs(FileOperationKind kind, int nth, Fault fault, bool sticky = false);
void disarmFaultyVfs();
int faultyVfsOperationsSeen();

// The rekey's file operations with the nth of a kind failing or ending the
// process; counts operations in any case.
class ScriptedFileOperations : public FileOperations {
public:
    enum class Kind { Any, Open, Read, Write, Truncate, Flush, Replace, Remove };

    ScriptedFileOperations(int nth, Fault fault, Kind kind = Kind::Any) : nth(nth), fault(fault), kind(kind) {}

    bool open(kiln::files::QFile& file, const wchar_t* path, UINT mode) override;
    bool read(kiln::files::QFile& file, void* buffer, DWORD n) override;
    bool write(kiln::files::QFile& file, const void* buffer, DWORD n) override;
    bool truncate(kiln::files::QFile& file, LONGLONG size) override;
    bool flush(kiln::files::QFile& file) override;
    bool replace(const wchar_t* from, const wchar_t* to) override;
    bool remove(const wchar_t* path) override;

    int seen() const { return count; }

private:
    // True when the operation is to go ahead.
    bool proceed(Kind operation);

    int nth;
    Fault fault;
    Kind kind;
    int count = 0;
};
