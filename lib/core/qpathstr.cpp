#include "core/qpathstr.h"

#include <cwchar>
#include <cwctype>
#include <initializer_list>

namespace kiln {
namespace files {

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";
const wchar_t kLongUncPrefix[] = L"\\\\?\\UNC";
constexpr size_t kLongPrefixLength = sizeof(kLongPrefix) / sizeof(wchar_t) - 1;
constexpr size_t kLongUncPrefixLength = sizeof(kLongUncPrefix) / sizeof(wchar_t) - 1;

// The longest source paths whose long forms still fit with the terminator.
constexpr size_t kMaxDrivePath = kLongPathRoom - 1 - kLongPrefixLength;
constexpr size_t kMaxUncPath = kLongPathRoom - 1 - kLongUncPrefixLength + 1;

bool IsDrivePath(const wchar_t* path) {
    wchar_t letter = path[0];
    CharUpperBuffW(&letter, 1);
    return letter >= L'A' && letter <= L'Z' && path[1] == L':';
}

// "\\?\" and "\\.\" paths start like network paths but must not be prefixed again.
bool IsPrefixedPath(const wchar_t* path) {
    return (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

}  // namespace

bool QPathStr::GetFileName(qstd::QString& out) const {
    if (IsEmpty()) return true;
    const wchar_t* chars = c_str();
    const wchar_t* lastBackslash = std::wcsrchr(chars, L'\\');
    if (!lastBackslash) {
        out = *this;
        return false;
    }
    out = qstd::QString(lastBackslash + 1, GetLength() - static_cast<int>(lastBackslash + 1 - chars));
    return true;
}

void QPathStr::ToForwardSlashes() {
    wchar_t* chars = MakeUnique();
    const int length = GetLength();
    for (int i = 0; i < length; ++i) {
        if (chars[i] == L'\\') chars[i] = L'/';
    }
}

void QPathStr::Split(qstd::QObArray<qstd::QString>& target, wchar_t separator) const {
    const wchar_t* chars = c_str();
    const int length = GetLength();
    int runStart = 0;
    for (int i = 0; i <= length; ++i) {
        if (i < length && chars[i] != separator) continue;
        if (i > runStart) target.Add(new qstd::QString(chars + runStart, i - runStart));
        runStart = i + 1;
    }
}

bool IsReservedDeviceName(const wchar_t* path) {
    if (!path) return false;
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':') name = c + 1;
    }
    // The device is named by what stands before the first dot, blanks after it ignored.
    size_t length = 0;
    while (name[length] && name[length] != L'.') ++length;
    while (length > 0 && name[length - 1] == L' ') --length;
    wchar_t base[8];
    if (length < 3 || length >= sizeof(base) / sizeof(base[0])) return false;
    for (size_t i = 0; i < length; ++i) base[i] = static_cast<wchar_t>(std::towupper(name[i]));
    base[length] = 0;
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (std::wcscmp(base, device) == 0) return true;
    }
    // COM and LPT with one digit, the superscript ones included.
    const bool port = length == 4 && (std::wcsncmp(base, L"COM", 3) == 0 || std::wcsncmp(base, L"LPT", 3) == 0);
    const wchar_t digit = base[3];
    const bool superscript = digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    return port && ((digit >= L'0' && digit <= L'9') || superscript);
}

bool MakeLongPath(const wchar_t* path, wchar_t* out) {
    if (!path || !*path) return false;
    if (IsDrivePath(path)) {
        const size_t length = wcsnlen(path, kMaxDrivePath + 1);
        if (length > kMaxDrivePath) return false;
        std::wmemcpy(out, kLongPrefix, kLongPrefixLength);
        std::wmemcpy(out + kLongPrefixLength, path, length + 1);
        return true;
    }
    if (path[0] == L'\\' && path[1] == L'\\' && !IsPrefixedPath(path)) {
        const size_t length = wcsnlen(path, kMaxUncPath + 1);
        if (length > kMaxUncPath) return false;
        std::wmemcpy(out, kLongUncPrefix, kLongUncPrefixLength);
        std::wmemcpy(out + kLongUncPrefixLength, path + 1, length);
        return true;
    }
    return false;
}

}  // namespace files
}  // namespace kiln
