#include "cli/escaped_text.h"

#include <string>

using kiln::qstd::QString;

namespace {

bool needsEscape(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == L'\\';
}

void appendEscape(std::wstring& out, wchar_t c) {
    switch (c) {
    case L'\n': out += L"\\n"; return;
    case L'\r': out += L"\\r"; return;
    case L'\t': out += L"\\t"; return;
    case L'\\': out += L"\\\\"; return;
    default: break;
    }
    const wchar_t* const hex = L"0123456789ABCDEF";
    if (c <= 0xFF) {
        const wchar_t escape[] = {L'\\', L'x', hex[(c >> 4) & 0xF], hex[c & 0xF], 0};
        out += escape;
    } else {
        const wchar_t escape[] = {L'\\', L'u', hex[(c >> 12) & 0xF], hex[(c >> 8) & 0xF], hex[(c >> 4) & 0xF],
                                  hex[c & 0xF], 0};
        out += escape;
    }
}

}  // namespace

QString escapeControlCharacters(const QString& text) {
    const int length = text.GetLength();
    const wchar_t* units = text.c_str();
    int first = 0;
    while (first < length && !needsEscape(units[first])) ++first;
    if (first == length) return text;
    std::wstring out(units, static_cast<size_t>(first));
    for (int i = first; i < length; ++i) {
        if (needsEscape(units[i])) {
            appendEscape(out, units[i]);
        } else {
            out += units[i];
        }
    }
    return QString(out.c_str(), static_cast<int>(out.size()));
}
