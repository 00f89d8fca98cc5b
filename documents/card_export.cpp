#include "documents/card_export.h"

#include <windows.h>
#include <shlwapi.h>

#include "core/qerror.h"
#include "core/qpathstr.h"
#include "documents/docx_writer.h"
#include "documents/rtf_reader.h"

using kiln::files::QFile;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace documents {

namespace {

QString Quoted(const QString& path) {
    return QString(L"\"") + PathFindFileNameW(path.c_str()) + L"\"";
}

}  // namespace

// Opening a device's name would write to the device, and putting a new file
// in the place of a folder or a device cannot be what was meant.
void RequireExportTarget(const QString& path) {
    if (kiln::files::IsReservedDeviceName(path.c_str())) {
        throw QError(Quoted(path) + L" is a name Windows keeps for a device; choose another name.");
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw QError(Quoted(path) + L" is a folder.");
    }
    // The user's mark, kept whether or not the system would let a
    // replacement through.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw QError(Quoted(path) + L" is read-only.");
    }
    QFile existing;
    if (existing.Open(path.c_str(), QFile::modeNoAccess | QFile::shareDenyNone) && !existing.IsDiskFile()) {
        throw QError(Quoted(path) + L" is not an ordinary file (a device or a pipe); choose another name.");
    }
}

namespace {

// The new file beside the target, under a name no other file has: removed
// again unless it was moved into the target's place.
class PartFile {
public:
    PartFile(const QString& target, QFile& file) : file(file) {
        // A short name of its own: the target's name with more after it
        // could pass the longest name the file system takes.
        const wchar_t* name = PathFindFileNameW(target.c_str());
        const QString folder(target.c_str(), static_cast<int>(name - target.c_str()));
        for (unsigned attempt = 0; attempt < 32; ++attempt) {
            QString partName;
            partName.Format(L"~vorlen-%08lx.part", static_cast<unsigned long>(GetTickCount() ^
                                                                              (GetCurrentProcessId() << 12) ^
                                                                              (attempt * 0x9E3779B9u)));
            path = folder + partName;
            if (file.Open(path.c_str(), QFile::modeCreateNew | QFile::modeWrite | QFile::shareExclusive)) {
                created = true;
                return;
            }
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
        throw QError::FromLastError();
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    ~PartFile() {
        if (!created) return;
        file.Close();
        DeleteWithLongForm(path.c_str());
    }

    // Every byte on the disk, then the file in the target's place.
    void MoveOver(const QString& target) {
        if (!FlushFileBuffers(file.GetHandle())) throw QError::FromLastError();
        if (!file.Close()) throw QError::FromLastError();
        const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        if (!MoveFileExW(path.c_str(), target.c_str(), flags)) {
            const DWORD plainError = GetLastError();
            wchar_t longFrom[kiln::files::kLongPathRoom];
            wchar_t longTo[kiln::files::kLongPathRoom];
            const bool longForms = kiln::files::MakeLongPath(path.c_str(), longFrom) &&
                                   kiln::files::MakeLongPath(target.c_str(), longTo);
            if (!longForms) SetLastError(plainError);
            if (!longForms || !MoveFileExW(longFrom, longTo, flags)) throw QError::FromLastError();
        }
        created = false;
    }

private:
    static void DeleteWithLongForm(const wchar_t* name) {
        if (DeleteFileW(name)) return;
        wchar_t longName[kiln::files::kLongPathRoom];
        if (kiln::files::MakeLongPath(name, longName)) DeleteFileW(longName);
    }

    QFile& file;
    QString path;
    bool created = false;
};

}  // namespace

bool IsDocxName(const QString& path) {
    const int length = path.GetLength();
    return length >= 5 && _wcsicmp(path.c_str() + length - 5, L".docx") == 0;
}

void WriteExportFile(const QString& path, const void* bytes, size_t length) {
    QFile file;
    WriteExportFile(path, bytes, length, file);
}

void WriteExportFile(const QString& path, const void* bytes, size_t length, QFile& file) {
    RequireExportTarget(path);
    PartFile part(path, file);
    const unsigned char* next = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        const DWORD chunk = length > 0x10000000u ? 0x10000000u : static_cast<DWORD>(length);
        const DWORD written = file.Write(next, chunk);
        if (written == 0) throw QError::FromLastError();
        next += written;
        length -= written;
    }
    part.MoveOver(path);
}

void ExportRtf(const QString& path, const QBuffer& rtf) {
    WriteExportFile(path, rtf.GetData(), rtf.GetCount());
}

void ExportDocx(const QString& path, const QBuffer& rtf) {
    const QBuffer docx = BuildDocx(ReadRtf(rtf.GetData(), rtf.GetCount()));
    WriteExportFile(path, docx.GetData(), docx.GetCount());
}

void ExportCard(const QString& path, const QBuffer& rtf) {
    if (IsDocxName(path)) {
        ExportDocx(path, rtf);
    } else {
        ExportRtf(path, rtf);
    }
}

}  // namespace documents
