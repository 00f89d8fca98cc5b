#include "app/editor/web_links.h"

#include <windows.h>

#include <cwctype>

#include "core/qmultibytestr.h"

using kiln::qstd::QString;

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

QString PercentEncoded(const QString& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    QString encoded;
    const kiln::qstd::QMultiByteStr utf8(text.c_str(), CP_UTF8);
    for (int i = 0; i < utf8.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8.c_str()[i]);
        if (IsUnreserved(c)) {
            encoded = encoded + static_cast<wchar_t>(c);
        } else {
            const wchar_t escape[] = {L'%', kHex[c >> 4], kHex[c & 0x0F], L'\0'};
            encoded.Append(escape);
        }
    }
    return encoded;
}

// Whether text starts with prefix, ASCII letters compared without case.
bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (!*text || std::towlower(*text) != std::towlower(*prefix)) return false;
    }
    return true;
}

}  // namespace

QString WebSearchAddress(WebSearchEngine engine, const QString& query) {
    const wchar_t* base = engine == WebSearchEngine::Google ? L"https://www.google.com/search?q="
                                                            : L"https://www.bing.com/search?q=";
    return QString(base) + PercentEncoded(query);
}

QString ShellAddressOfLink(const QString& link) {
    static const wchar_t* const kAllowed[] = {L"http://", L"https://", L"ftp://", L"mailto:"};
    const wchar_t* text = link.c_str();
    for (const wchar_t* scheme : kAllowed) {
        if (StartsWithNoCase(text, scheme)) return link;
    }
    if (StartsWithNoCase(text, L"www.")) return QString(L"http://") + link;
    return QString();
}
