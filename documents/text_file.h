#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// The text of a plain-text file, decoded as the editor decodes a dropped
// one: UTF-16 of either byte order (with or without its mark, which is left
// out), UTF-8 with its mark or valid UTF-8 beyond ASCII without one, and
// anything else in the ANSI code page. A UTF-16 file of odd length loses its
// last byte. False when the file cannot be opened or read.
bool ReadTextFile(const kiln::qstd::QString& path, kiln::qstd::QString& text);

// The whole file's bytes. False when it cannot be opened or read, or is not
// a file on a disk (a device, a pipe); throws
// QError for a file larger than a card can take.
bool ReadFileBytes(const kiln::qstd::QString& path, kiln::qstd::QBuffer& bytes);
