#include "documents/plain_text_rtf.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "core/qerror.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace {

// What the editor writes before a page of plain text in its default format
// (Verdana, 11.75 points, the near-black text colour on white, single line
// spacing), so that a card made here looks like one the editor saved. The
// editor ends every page with the mark of its last paragraph.
const char kHeader[] = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033\\deflangfe1033"
                       "{\\fonttbl{\\f0\\fcharset0 Verdana;}}\r\n"
                       "{\\colortbl;\\red20\\green0\\blue0;\\red255\\green255\\blue255;}\r\n"
                       "\\pard\\sl-240\\slmult1 \\highlight2\\cf1\\lang1033\\fs23\\f0 ";
const char kTrailer[] = "\\par\r\n}";

// What a line break at text[i] is: its length, 0 where there is none. CR CR
// LF is the mark of a line that only wraps there, which the editor reads
// as a space.
struct Break {
    int length;
    bool wraps;
};

Break BreakAt(const wchar_t* text, int length, int i) {
    if (text[i] == L'\n') return {1, false};
    if (text[i] != L'\r') return {0, false};
    if (i + 2 < length && text[i + 1] == L'\r' && text[i + 2] == L'\n') return {3, true};
    return {i + 1 < length && text[i + 1] == L'\n' ? 2 : 1, false};
}

class RtfWriter {
public:
    explicit RtfWriter(QBuffer& out) : out(out) {}
    void Put(const char* bytes) { out.Append(bytes, static_cast<unsigned>(std::strlen(bytes))); }
    void Put(char byte) { out.Append(&byte, 1); }
    void PutUnit(wchar_t unit) {
        if (unit == L'\\' || unit == L'{' || unit == L'}') {
            Put('\\');
            Put(static_cast<char>(unit));
        } else if (unit == L'\t') {
            Put("\\tab ");
        } else if (unit >= 0x20 && unit < 0x80) {
            Put(static_cast<char>(unit));
        } else {
            // RTF numbers are signed 16-bit; the '?' stands in for readers
            // without Unicode.
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%d?", static_cast<int>(static_cast<short>(unit)));
            Put(escaped);
        }
    }

private:
    QBuffer& out;
};

}  // namespace

void PlainTextCardForms(const QString& text, QString& txt, QBuffer& rtf) {
    const wchar_t* units = text.c_str();
    const int length = text.GetLength();
    // Every break becomes two units at most, so counting first lets the
    // plain form be written in one block of its exact size.
    long long txtLength = 0;
    for (int i = 0; i < length;) {
        const Break lineBreak = BreakAt(units, length, i);
        txtLength += lineBreak.length == 0 || lineBreak.wraps ? 1 : 2;
        i += lineBreak.length ? lineBreak.length : 1;
    }
    if (txtLength > std::numeric_limits<int>::max() - 1) {
        throw kiln::qstd::QError(L"The text is too long for a card.");
    }
    QString plain;
    wchar_t* to = plain.GetBuffer(static_cast<int>(txtLength));
    QBuffer made;
    // ASCII text takes about a byte per unit; more is grown into.
    made.SetCapacity(static_cast<unsigned>(sizeof kHeader + sizeof kTrailer) + static_cast<unsigned>(length) +
                     static_cast<unsigned>(length) / 8);
    RtfWriter writer(made);
    writer.Put(kHeader);
    for (int i = 0; i < length;) {
        const Break lineBreak = BreakAt(units, length, i);
        if (lineBreak.wraps) {
            *to++ = L' ';
            writer.Put(' ');
            i += lineBreak.length;
        } else if (lineBreak.length) {
            *to++ = L'\r';
            *to++ = L'\n';
            writer.Put("\\par\r\n");
            i += lineBreak.length;
        } else {
            *to++ = units[i];
            writer.PutUnit(units[i]);
            ++i;
        }
    }
    writer.Put(kTrailer);
    txt = std::move(plain);
    rtf = std::move(made);
}
