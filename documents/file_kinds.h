#pragma once

#include "core/qstring.h"

// What a file is taken for, by its extension alone (ASCII letters compared
// without case); the content is never sniffed.
enum class FileKind { Database, Rtf, Text, Picture, Office, Other };

FileKind KindOfFile(const kiln::qstd::QString& path);
