#pragma once

#include "core/qbuffer.h"
#include "core/qfile.h"
#include "core/qstring.h"

// Writing a card to a file: its RTF as the editor streams it, or a Word
// document made from that RTF. Each raises QError with the system's message
// when the file cannot be created or not every byte reached it, so a caller
// never reports an export that did not happen.
//
// Nothing already at the path is lost to a failure: the bytes go to a new
// file beside it, which takes the path's place only once every byte is on
// the disk; a failure removes it again. A name Windows keeps for a device
// (NUL.docx) and anything at the path that is not an ordinary file (a
// folder, a device) are refused before anything is written.
namespace documents {

// Whether path names a Word document: it ends in ".docx", in any case.
bool IsDocxName(const kiln::qstd::QString& path);

// Raises QError unless path can take an export: a name Windows keeps for a
// device, a folder, a read-only file and anything that is not an ordinary
// file (a device, a pipe) are refused with a message saying which.
void RequireExportTarget(const kiln::qstd::QString& path);

// Puts a file holding exactly the bytes at path.
void WriteExportFile(const kiln::qstd::QString& path, const void* bytes, size_t length);
// The same, writing through file, which tests give to fail on purpose.
void WriteExportFile(const kiln::qstd::QString& path, const void* bytes, size_t length, kiln::files::QFile& file);

void ExportRtf(const kiln::qstd::QString& path, const kiln::qstd::QBuffer& rtf);
void ExportDocx(const kiln::qstd::QString& path, const kiln::qstd::QBuffer& rtf);

// The card as a Word document when path ends in ".docx", else as its RTF:
// the one place where a file's ending picks the form of an exported card.
void ExportCard(const kiln::qstd::QString& path, const kiln::qstd::QBuffer& rtf);

}  // namespace documents
