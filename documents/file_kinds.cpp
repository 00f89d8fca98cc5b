#include "documents/file_kinds.h"

#include <windows.h>
#include <shlwapi.h>

using kiln::qstd::QString;

namespace {

const wchar_t* const kTextExtensions[] = {
    L".txt", L".c",   L".cpp", L".cs",      L".php",     L".js",     L".htm", L".cmd", L".cxx", L".html", L".css",
    L".vb",  L".sql", L".bat", L".xml",     L".vcxproj", L".vcproj", L".csproj", L".sln", L".rc", L".py",
};
const wchar_t* const kPictureExtensions[] = {L".bmp", L".gif", L".jpg", L".png", L".tif", L".ico", L".jpeg"};
const wchar_t* const kOfficeExtensions[] = {L".docx", L".xlsx", L".pptx"};

template <size_t N>
bool IsOneOf(const QString& extension, const wchar_t* const (&list)[N]) {
    for (const wchar_t* entry : list) {
        if (extension.CompareNoCase(entry) == 0) return true;
    }
    return false;
}

}  // namespace

FileKind KindOfFile(const QString& path) {
    // Everything from the last dot of the file-name part, as the shell finds it.
    const QString extension = PathFindExtensionW(path.c_str());
    if (extension.CompareNoCase(L".data") == 0) return FileKind::Database;
    if (extension.CompareNoCase(L".rtf") == 0) return FileKind::Rtf;
    if (IsOneOf(extension, kTextExtensions)) return FileKind::Text;
    if (IsOneOf(extension, kPictureExtensions)) return FileKind::Picture;
    if (IsOneOf(extension, kOfficeExtensions)) return FileKind::Office;
    return FileKind::Other;
}
