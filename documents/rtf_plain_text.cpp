#include "documents/rtf_plain_text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using kiln::qstd::QString;

namespace {

// The editor's name for the symbol font's code page: every byte from 0x20 up
// becomes a character of the private-use block at U+F000.
const unsigned kSymbolCodePage = 42;

unsigned CodePageOfCharset(int charset, unsigned documentCodePage) {
    switch (charset) {
    case 0: return 1252;
    case 1: return CP_ACP;
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return documentCodePage;
    }
}

// Words that open a destination whose text is not the document's: the rest
// of their group is passed over. "fonttbl" is read for its code pages.
const char* const kSkippedDestinations[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atnicn", "atnid", "atnref", "atntime",
    "atrfend", "atrfstart", "author", "bkmkend", "bkmkstart", "buptim", "colortbl", "comment", "creatim",
    "datafield", "do", "doccomm", "falt", "file", "filetbl", "fldinst", "fontemb", "fontfile", "footer",
    "footerf", "footerl", "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header",
    "headerf", "headerl", "headerr", "info", "keycode", "keywords", "nesttableprops", "nextfile",
    "nextgraphic", "nonesttables", "nonshppict", "objalias", "objclass", "objdata", "object", "objitem",
    "objname", "objsect", "objtime", "objtopic", "operator", "pict", "pn", "pnseclvl", "pntext", "pntxta",
    "pntxtb", "printim", "result", "revtbl", "revtim", "rxe", "shppict", "stylesheet", "subject", "tc",
    "template", "title", "txe", "version", "xe",
};

// Sorted, for a binary search: every unknown formatting word is looked up.
bool IsSkippedDestination(const std::string& word) {
    return std::binary_search(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word.c_str(),
                              [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
}

struct GroupState {
    int font = -1;
    int unicodeSkip = 1;
    bool fontTable = false;
    bool inTable = false;
};

struct FontCodePage {
    int charset = -1;
    unsigned codePage = 0;
};

class RtfTextReader {
public:
    RtfTextReader(const unsigned char* bytes, size_t length) : data(bytes), end(length) {}

    std::wstring Read() {
        // Past the opening brace: the document's own group.
        at = 1;
        groups.emplace_back();
        while (at < end && !groups.empty()) Step();
        Flush();
        return std::move(out);
    }

private:
    void Step() {
        const unsigned char c = data[at];
        if (c == '{') {
            Flush();
            ++at;
            pendingSkip = 0;
            groups.push_back(groups.back());
            if (at + 1 < end && data[at] == '\\' && data[at + 1] == '*') {
                // An ignorable destination: what it holds is never text.
                at += 2;
                SkipGroup();
            }
            return;
        }
        if (c == '}') {
            Flush();
            ++at;
            pendingSkip = 0;
            groups.pop_back();
            return;
        }
        if (c == '\\') {
            ControlWord();
            return;
        }
        ++at;
        // Line ends in the file are layout of the file, not of the text.
        if (c == '\r' || c == '\n') return;
        if (groups.back().fontTable) return;
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (c == '\t') return Special(L'\t');
        if (c == 0) return Special(L' ');
        pending.push_back(static_cast<char>(c));
    }

    void ControlWord() {
        ++at;
        if (at >= end) return;
        const unsigned char first = data[at];
        if (!IsLetter(first)) {
            ++at;
            ControlSymbol(first);
            return;
        }
        std::string word;
        while (at < end && IsLetter(data[at])) {
            if (word.size() < 32) word.push_back(static_cast<char>(data[at]));
            ++at;
        }
        bool hasParameter = false;
        long parameter = 0;
        bool negative = false;
        if (at < end && data[at] == '-' && at + 1 < end && IsDigit(data[at + 1])) {
            negative = true;
            ++at;
        }
        int digits = 0;
        while (at < end && IsDigit(data[at])) {
            if (digits++ < 10) parameter = parameter * 10 + (data[at] - '0');
            hasParameter = true;
            ++at;
        }
        if (negative) parameter = -parameter;
        if (at < end && data[at] == ' ') ++at;
        Word(word, hasParameter, parameter);
    }

    void ControlSymbol(unsigned char symbol) {
        switch (symbol) {
        case '\'': return HexByte();
        case '\\':
        case '{':
        case '}': return Text(static_cast<char>(symbol));
        case '~': return Special(0x00A0);
        case '_': return Special(0x2011);
        case '\r':
        case '\n': return Break();
        default: return;
        }
    }

    void HexByte() {
        if (at + 2 > end || !IsHex(data[at]) || !IsHex(data[at + 1])) return;
        const char byte = static_cast<char>(HexValue(data[at]) * 16 + HexValue(data[at + 1]));
        at += 2;
        if (groups.back().fontTable) return;
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        // Line ends and zeros given as bytes are no text; a tab is one.
        if (byte == '\t') return Special(L'\t');
        if (byte == '\0' || byte == '\r' || byte == '\n') return;
        pending.push_back(byte);
    }

    void Text(char byte) {
        if (groups.back().fontTable) return;
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        pending.push_back(byte);
    }

    void Word(const std::string& word, bool hasParameter, long parameter) {
        // Only bytes stand in for a Unicode character; a word ends them.
        pendingSkip = 0;
        GroupState& group = groups.back();
        if (group.fontTable) return FontTableWord(word, hasParameter, parameter);
        if (word == "par" || word == "sect" || word == "page") return Break();
        if (word == "line") return Special(L' ');
        if (word == "tab") return Special(L'\t');
        if (word == "u" && hasParameter) return Unicode(parameter);
        if (word == "uc" && hasParameter) {
            group.unicodeSkip = parameter < 0 ? 0 : static_cast<int>(parameter);
            return;
        }
        if (word == "f" && hasParameter) {
            if (fonts.count(parameter)) {
                Flush();
                group.font = static_cast<int>(parameter);
            }
            return;
        }
        if (word == "deff" && hasParameter) {
            defaultFont = static_cast<int>(parameter);
            return;
        }
        if (word == "ansicpg" && hasParameter) {
            Flush();
            documentCodePage = static_cast<unsigned>(parameter);
            return;
        }
        if (word == "fonttbl") {
            Flush();
            group.fontTable = true;
            return;
        }
        if (word == "intbl") {
            group.inTable = true;
            return;
        }
        if (word == "pard") {
            group.inTable = false;
            return;
        }
        if (word == "cell" || word == "nestcell") {
            if (!group.inTable) return;
            OpenRow();
            return Special(L'\t');
        }
        if (word == "row" || word == "nestrow") {
            if (!rowOpen) return;
            Flush();
            rowOpen = false;
            out.append(L"\r\n");
            return;
        }
        if (word == "emdash") return Special(0x2014);
        if (word == "endash") return Special(0x2013);
        if (word == "bullet") return Special(0x2022);
        if (word == "lquote") return Special(0x2018);
        if (word == "rquote") return Special(0x2019);
        if (word == "ldblquote") return Special(0x201C);
        if (word == "rdblquote") return Special(0x201D);
        if (word == "emspace" || word == "enspace") return Special(L' ');
        if (word == "zwj") return Special(0x200D);
        if (word == "zwnj") return Special(0x200C);
        if (word == "ltrmark") return Special(0x200E);
        if (word == "rtlmark") return Special(0x200F);
        if (IsSkippedDestination(word)) SkipGroup();
    }

    void FontTableWord(const std::string& word, bool hasParameter, long parameter) {
        if (!hasParameter) {
            if (IsSkippedDestination(word)) SkipGroup();
            return;
        }
        if (word == "f") {
            fontBeingDefined = static_cast<int>(parameter);
            fonts[fontBeingDefined];
        } else if (word == "fcharset" && fontBeingDefined >= 0) {
            fonts[fontBeingDefined].charset = static_cast<int>(parameter);
        } else if (word == "cpg" && fontBeingDefined >= 0) {
            fonts[fontBeingDefined].codePage = static_cast<unsigned>(parameter);
        }
    }

    void Unicode(long value) {
        const wchar_t unit = static_cast<wchar_t>(value < 0 ? value + 65536 : value);
        // Units the editor reads as the end of a paragraph.
        if (unit == L'\r' || unit == L'\n') {
            Break();
        } else if (unit != 0) {
            Special(unit);
        }
        pendingSkip = groups.back().unicodeSkip;
    }

    // A character the document names by a word, never decoded.
    void Special(wchar_t unit) {
        Flush();
        OpenRowIfInTable();
        out.push_back(unit);
    }

    void Break() {
        Flush();
        OpenRowIfInTable();
        out.append(L"\r\n");
    }

    void OpenRowIfInTable() {
        if (groups.back().inTable) OpenRow();
    }

    // The editor opens every table row with a paragraph mark of its own.
    void OpenRow() {
        if (rowOpen) return;
        rowOpen = true;
        out.append(L"\r\n");
    }

    // Passes over the rest of the current group, braces escaped or not, and
    // closes it.
    void SkipGroup() {
        Flush();
        size_t depth = 1;
        while (at < end) {
            const unsigned char c = data[at++];
            if (c == '\\') {
                ++at;
            } else if (c == '{') {
                ++depth;
            } else if (c == '}' && --depth == 0) {
                break;
            }
        }
        pendingSkip = 0;
        groups.pop_back();
    }

    unsigned CurrentCodePage() const {
        int font = groups.back().font;
        if (font < 0) font = defaultFont;
        const auto found = fonts.find(font);
        if (found == fonts.end()) return documentCodePage;
        if (found->second.codePage) return found->second.codePage;
        // A font that names no character set is taken for an ANSI one, whatever
        // the document's code page.
        return CodePageOfCharset(found->second.charset >= 0 ? found->second.charset : 0, documentCodePage);
    }

    void Flush() {
        if (pending.empty()) return;
        if (!groups.empty()) OpenRowIfInTable();
        const unsigned codePage = CurrentCodePage();
        if (codePage == kSymbolCodePage) {
            for (const char byte : pending) {
                const auto value = static_cast<unsigned char>(byte);
                out.push_back(static_cast<wchar_t>(value < 0x20 ? value : 0xF000 + value));
            }
        } else {
            Decode(codePage);
        }
        pending.clear();
    }

    void Decode(unsigned codePage) {
        const int count = static_cast<int>(pending.size());
        int units = MultiByteToWideChar(codePage, 0, pending.data(), count, nullptr, 0);
        if (units <= 0) {
            // A code page the system does not have: the document's default.
            codePage = 1252;
            units = MultiByteToWideChar(codePage, 0, pending.data(), count, nullptr, 0);
        }
        if (units <= 0) return;
        const size_t start = out.size();
        out.resize(start + static_cast<size_t>(units));
        MultiByteToWideChar(codePage, 0, pending.data(), count, &out[start], units);
    }

    static bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    static bool IsHex(unsigned char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static int HexValue(unsigned char c) {
        if (IsDigit(c)) return c - '0';
        return (c | 0x20) - 'a' + 10;
    }

    const unsigned char* data;
    size_t end;
    size_t at = 0;
    std::vector<GroupState> groups;
    std::map<long, FontCodePage> fonts;
    int fontBeingDefined = -1;
    int defaultFont = 0;
    unsigned documentCodePage = 1252;
    int pendingSkip = 0;
    bool rowOpen = false;
    std::string pending;
    std::wstring out;
};

}  // namespace

bool RtfPlainText(const unsigned char* bytes, size_t length, QString& text) {
    text = QString();
    const bool rtf = (length >= 5 && std::memcmp(bytes, "{\\rtf", 5) == 0) ||
                     (length >= 6 && std::memcmp(bytes, "{\\urtf", 6) == 0);
    if (!rtf) return false;
    std::wstring read = RtfTextReader(bytes, length).Read();
    // The document's last paragraph mark is the page's own and ends no line.
    if (read.size() >= 2 && read.compare(read.size() - 2, 2, L"\r\n") == 0) read.resize(read.size() - 2);
    text = QString(read.data(), static_cast<int>(read.size()));
    return true;
}
