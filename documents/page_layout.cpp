#include "documents/page_layout.h"

#include <cwchar>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace documents {

namespace {

// How far ahead one page reads formats: more text than any page holds.
const LONG kPageTextLimit = 20000;
const wchar_t kParagraphEnd = L'\r';
const wchar_t kLineBreak = L'\v';
const wchar_t kObject = 0xFFFC;

struct Format {
    std::wstring face;
    LONG height;
    DWORD effects;
    COLORREF color;

    bool operator<(const Format& other) const {
        return std::tie(face, height, effects, color) < std::tie(other.face, other.height, other.effects, other.color);
    }
};

struct Piece {
    LONG start;
    std::wstring text;
    const Format* format;
    int width;
};

struct Line {
    std::vector<Piece> pieces;
    int width = 0;
    int ascent = 0;
    int descent = 0;
};

// Reads the characters of the range and the format of each through the
// selection, which it puts back (with the redrawing) when done.
class ControlText {
public:
    ControlText(HWND control, LONG start, LONG end) : control(control), start(start) {
        SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
        SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        if (end - start > kPageTextLimit) end = start + kPageTextLimit;
        std::vector<wchar_t> buffer(static_cast<size_t>(end - start) + 1);
        TEXTRANGEW range = {{start, end}, buffer.data()};
        const LONG got = static_cast<LONG>(SendMessageW(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
        text.assign(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
        formats.resize(text.size(), nullptr);
    }
    ControlText(const ControlText&) = delete;
    ControlText& operator=(const ControlText&) = delete;
    ~ControlText() {
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    }

    LONG size() const { return static_cast<LONG>(text.size()); }
    wchar_t at(LONG i) const { return text[static_cast<size_t>(i)]; }
    LONG position(LONG i) const { return start + i; }

    const Format* format(LONG i) {
        if (formats[static_cast<size_t>(i)]) return formats[static_cast<size_t>(i)];
        CHARRANGE one = {start + i, start + i + 1};
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
        CHARFORMAT2W read = {};
        read.cbSize = sizeof read;
        SendMessageW(control, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
        const DWORD effects = read.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
        const COLORREF color = (read.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : read.crTextColor;
        const Format made = {read.szFaceName, read.yHeight > 0 ? read.yHeight : 200, effects, color};
        const Format* stored = &*known.insert(made).first;
        formats[static_cast<size_t>(i)] = stored;
        return stored;
    }

    WORD alignment(LONG i) {
        CHARRANGE caret = {start + i, start + i};
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        PARAFORMAT2 read = {};
        read.cbSize = sizeof read;
        SendMessageW(control, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&read));
        return read.wAlignment;
    }

private:
    HWND control;
    LONG start;
    CHARRANGE saved = {0, 0};
    std::wstring text;
    std::vector<const Format*> formats;
    std::set<Format> known;
};

// The fonts of one page, made once for each format on the device.
class Fonts {
public:
    explicit Fonts(HDC dc) : dc(dc), dpiY(GetDeviceCaps(dc, LOGPIXELSY)) {}
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        for (const auto& entry : made) DeleteObject(entry.second.font);
    }

    struct Made {
        HFONT font;
        int ascent;
        int descent;
    };

    const Made& use(const Format* format) {
        auto found = made.find(format);
        if (found == made.end()) {
            const HFONT font = CreateFontW(-MulDiv(format->height, dpiY, 1440), 0, 0, 0,
                                           (format->effects & CFE_BOLD) ? FW_BOLD : FW_NORMAL,
                                           (format->effects & CFE_ITALIC) != 0, (format->effects & CFE_UNDERLINE) != 0,
                                           (format->effects & CFE_STRIKEOUT) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, format->face.c_str());
            SelectObject(dc, font);
            TEXTMETRICW metrics = {};
            GetTextMetricsW(dc, &metrics);
            found = made.emplace(format, Made{font, metrics.tmAscent, metrics.tmDescent}).first;
        }
        SelectObject(dc, found->second.font);
        return found->second;
    }

    int width(const Format* format, const std::wstring& text) {
        use(format);
        SIZE size = {0, 0};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HDC dc;
    int dpiY;
    std::map<const Format*, Made> made;
};

class PageLayout {
public:
    PageLayout(HWND control, const FORMATRANGE& range, bool render)
        : dc(range.hdc),
          render(render),
          end(range.chrg.cpMax < 0 ? LONG_MAX / 2 : range.chrg.cpMax),
          text(control, range.chrg.cpMin, end),
          fonts(range.hdc) {
        const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        left = MulDiv(range.rc.left, dpiX, 1440);
        right = MulDiv(range.rc.right, dpiX, 1440);
        y = MulDiv(range.rc.top, dpiY, 1440);
        bottom = MulDiv(range.rc.bottom, dpiY, 1440);
    }

    LONG Run() {
        const HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
        const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const LONG next = Paragraphs();
        SetBkMode(dc, oldMode);
        SetTextAlign(dc, oldAlign);
        SelectObject(dc, oldFont);
        return next;
    }

private:
    LONG Paragraphs() {
        LONG i = 0;
        while (i < text.size()) {
            const WORD alignment = text.alignment(i);
            Line line;
            LONG lineStart = i;
            bool paragraphEnded = false;
            while (!paragraphEnded) {
                LONG wordEnd = i;
                while (wordEnd < text.size() && text.at(wordEnd) != L' ' && !Ends(text.at(wordEnd))) ++wordEnd;
                while (wordEnd < text.size() && text.at(wordEnd) == L' ') ++wordEnd;
                Line word = Measure(i, wordEnd);
                const bool breaks = wordEnd >= text.size() || Ends(text.at(wordEnd));
                if (!line.pieces.empty() && line.width + word.width > right - left) {
                    if (!Place(line, alignment)) return text.position(lineStart);
                    line = Line();
                    lineStart = i;
                }
                Append(line, word);
                i = wordEnd;
                if (breaks) {
                    // An empty line still takes the height of its font.
                    if (line.pieces.empty() && i < text.size()) {
                        const Fonts::Made& made = fonts.use(text.format(i));
                        line.ascent = made.ascent;
                        line.descent = made.descent;
                    }
                    if (!Place(line, alignment)) return text.position(lineStart);
                    line = Line();
                    paragraphEnded = i >= text.size() || text.at(i) == kParagraphEnd;
                    if (i < text.size()) ++i;
                    lineStart = i;
                }
            }
        }
        // The range may reach past the text: the control counts a last
        // paragraph mark that its text does not give out.
        return text.size() < kPageTextLimit ? end : text.position(text.size());
    }

    static bool Ends(wchar_t c) { return c == kParagraphEnd || c == kLineBreak || c == L'\n'; }

    // The characters from to end as pieces of one format each.
    Line Measure(LONG from, LONG end) {
        Line word;
        LONG i = from;
        while (i < end) {
            const Format* format = text.format(i);
            Piece piece = {text.position(i), std::wstring(), format, 0};
            while (i < end && text.format(i) == format) {
                if (text.at(i) != kObject) piece.text += text.at(i);
                ++i;
            }
            piece.width = fonts.width(format, piece.text);
            const Fonts::Made& made = fonts.use(format);
            if (made.ascent > word.ascent) word.ascent = made.ascent;
            if (made.descent > word.descent) word.descent = made.descent;
            word.width += piece.width;
            word.pieces.push_back(piece);
        }
        return word;
    }

    static void Append(Line& line, const Line& word) {
        line.pieces.insert(line.pieces.end(), word.pieces.begin(), word.pieces.end());
        line.width += word.width;
        if (word.ascent > line.ascent) line.ascent = word.ascent;
        if (word.descent > line.descent) line.descent = word.descent;
    }

    // False when the line does not fit below what the page holds already.
    bool Place(const Line& line, WORD alignment) {
        if (y + line.ascent + line.descent > bottom) return false;
        int x = left;
        if (alignment == PFA_CENTER) x += (right - left - line.width) / 2;
        else if (alignment == PFA_RIGHT) x += right - left - line.width;
        if (render) {
            for (const Piece& piece : line.pieces) {
                fonts.use(piece.format);
                SetTextColor(dc, piece.format->color);
                ExtTextOutW(dc, x, y + line.ascent, 0, nullptr, piece.text.c_str(),
                            static_cast<UINT>(piece.text.size()), nullptr);
                x += piece.width;
            }
        }
        y += line.ascent + line.descent;
        return true;
    }

    HDC dc;
    bool render;
    LONG end;
    ControlText text;
    Fonts fonts;
    int left = 0;
    int right = 0;
    int y = 0;
    int bottom = 0;
};

}  // namespace

LONG FormatPage(HWND control, const FORMATRANGE& range, bool render) {
    return PageLayout(control, range, render).Run();
}

}  // namespace documents
