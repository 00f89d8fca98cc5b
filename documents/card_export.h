#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// Writing a card to a file: its RTF as the editor streams it, or a Word
// document made from that RTF. Each raises QError with the system's message
// when the file cannot be created or not every byte reached it, so a caller
// never reports an export that did not happen.
namespace documents {

// Whether path names a Word document: it ends in ".docx", in any case.
bool IsDocxName(const kiln::qstd::QString& path);

// Creates or truncates the file and writes exactly the bytes.
void WriteExportFile(const kiln::qstd::QString& path, const void* bytes, size_t length);

void ExportRtf(const kiln::qstd::QString& path, const kiln::qstd::QBuffer& rtf);
void ExportDocx(const kiln::qstd::QString& path, const kiln::qstd::QBuffer& rtf);

}  // namespace documents
