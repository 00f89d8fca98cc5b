#pragma once

#include <sqlite3.h>

// The file system through which SQLite reaches card databases: SQLite's own
// Windows file system with a layer that deciphers whole pages as they are
// read and hands the disk enciphered copies as they are written, for the
// database file and for the page images in its rollback journal. The engine's
// page cache always holds plain pages; nothing plain of an enciphered
// database reaches the disk: temporary files are refused (the engine keeps
// them in memory), memory mapping is refused (it would bypass the layer), and
// write-ahead logging is refused for enciphered files.
//
// A file is plain until a key is set on it (see database_key.h). Before
// SQLite may read a database, and before a hot journal may be played back,
// the layer checks that page 1 reads as an SQLite header under the file's key
// (or as plain): an unkeyed or wrongly keyed file answers SQLITE_NOTADB and is
// never written.

constexpr const char* kCipherVfsName = "vorlen-cipher";

// Registers the layer as the default file system, over SQLite's Windows file
// system, once per process. Every program that links the cipher calls it
// before main, so connections opened with the default file system get it.
int registerCipherVfs();

// Registers another instance of the layer under `name`, over the file system
// registered as `baseName`; used to put a file system that fails on purpose
// underneath. Not the default.
int registerCipherVfsOver(const char* name, const char* baseName);
