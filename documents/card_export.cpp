#include "documents/card_export.h"

#include <windows.h>

#include "core/qerror.h"
#include "core/qfile.h"
#include "documents/docx_writer.h"
#include "documents/rtf_reader.h"

using kiln::files::QFile;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace documents {

bool IsDocxName(const QString& path) {
    const int length = path.GetLength();
    return length >= 5 && _wcsicmp(path.c_str() + length - 5, L".docx") == 0;
}

void WriteExportFile(const QString& path, const void* bytes, size_t length) {
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeCreate)) throw QError::FromLastError();
    const unsigned char* next = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        const DWORD chunk = length > 0x10000000u ? 0x10000000u : static_cast<DWORD>(length);
        const DWORD written = file.Write(next, chunk);
        if (written == 0) throw QError::FromLastError();
        next += written;
        length -= written;
    }
    if (!file.Close()) throw QError::FromLastError();
}

void ExportRtf(const QString& path, const QBuffer& rtf) {
    WriteExportFile(path, rtf.GetData(), rtf.GetCount());
}

void ExportDocx(const QString& path, const QBuffer& rtf) {
    const QBuffer docx = BuildDocx(ReadRtf(rtf.GetData(), rtf.GetCount()));
    WriteExportFile(path, docx.GetData(), docx.GetCount());
}

}  // namespace documents
