#include "documents/rtf_reader.h"

#include <cctype>
#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <utility>

#include "documents/web_addresses.h"

namespace documents {

namespace {

enum class Destination { Text, Skip, FontTable, ColorTable, Picture, FieldInstruction, ListNumbering };

struct GroupState {
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int font = -1;
    int halfPoints = 24;
    int color = 0;
    int link = -1;
    int unicodeSkip = 1;
};

struct Font {
    std::wstring name;
    UINT codePage = 0;
};

struct PictureState {
    bool known = false;
    PictureKind kind = PictureKind::Png;
    bool metafile = false;
    long width = 0;
    long height = 0;
    long goalWidth = 0;
    long goalHeight = 0;
    long scaleX = 100;
    long scaleY = 100;
    std::string data;
    bool binary = false;
};

UINT codePageOfCharset(int charset, UINT ansi) {
    static const std::pair<int, UINT> kCharsets[] = {
        {77, 10000}, {128, 932}, {129, 949}, {130, 1361}, {134, 936}, {136, 950},  {161, 1253}, {162, 1254},
        {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}, {255, 437},
    };
    for (const auto& entry : kCharsets) {
        if (entry.first == charset) return entry.second;
    }
    return ansi;
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, unsigned long value) {
    put16(out, value & 0xFFFF);
    put16(out, (value >> 16) & 0xFFFF);
}

class RtfReader {
public:
    RtfReader(const unsigned char* bytes, size_t length) : data(bytes), end(length) {}

    RichDocument Read() {
        while (at < end) {
            const unsigned char c = data[at++];
            switch (c) {
            case '{':
                FlushBytes();
                stack.push_back(state);
                break;
            case '}':
                FlushBytes();
                // The document ends with its outermost group; what follows
                // (the editor's stored form ends with a zero byte) is no text.
                if (stack.size() == 1) at = end;
                CloseGroup();
                break;
            case '\\': Control(); break;
            case '\r':
            case '\n': break;
            default: TextByte(c);
            }
        }
        FlushBytes();
        if (!paragraph.runs.empty()) EndParagraph();
        return std::move(document);
    }

private:
    void Control() {
        if (at >= end) return;
        const unsigned char c = data[at];
        if (!std::isalpha(c)) {
            ++at;
            Symbol(c);
            return;
        }
        std::string word;
        while (at < end && std::isalpha(data[at]) && word.size() < 32) word += static_cast<char>(data[at++]);
        bool hasValue = false;
        long value = 0;
        bool negative = false;
        if (at < end && data[at] == '-') {
            negative = true;
            ++at;
        }
        while (at < end && std::isdigit(data[at])) {
            hasValue = true;
            if (value < 100000000) value = value * 10 + (data[at] - '0');
            ++at;
        }
        if (negative) value = -value;
        if (at < end && data[at] == ' ') ++at;
        FlushBytes();
        const bool starred = starPending;
        starPending = false;
        Word(word, hasValue, hasValue ? value : 1, starred);
    }

    void Symbol(unsigned char c) {
        switch (c) {
        case '\'': {
            if (at + 2 > end) return;
            const int high = hexValue(data[at]);
            const int low = hexValue(data[at + 1]);
            at += 2;
            if (high >= 0 && low >= 0 && state.destination != Destination::Picture) {
                TextByte(static_cast<unsigned char>(high * 16 + low), true);
            }
            return;
        }
        case '*': starPending = true; return;
        case '~': Character(0x00A0); return;
        case '_': Character(0x2011); return;
        case '-': return;
        case '\r':
        case '\n': EndParagraph(); return;
        default: TextByte(c, true);
        }
    }

    void Word(const std::string& word, bool hasValue, long value, bool starred) {
        if (word == "bin") {
            SkipBinary(hasValue ? value : 0);
            return;
        }
        if (state.destination == Destination::Skip) return;
        if (state.destination == Destination::Picture) {
            // Picture properties ({\*\picprop ...}) hold text that is not picture data.
            if (starred) state.destination = Destination::Skip;
            else PictureWord(word, value);
            return;
        }
        if (state.destination == Destination::ListNumbering) {
            ListWord(word, value);
            return;
        }
        if (Destinations(word, starred)) return;
        if (state.destination == Destination::FontTable) {
            FontWord(word, value);
            return;
        }
        if (state.destination == Destination::ColorTable) {
            if (word == "red") colorValue = (colorValue & 0xFFFF00) | (value & 0xFF);
            else if (word == "green") colorValue = (colorValue & 0xFF00FF) | ((value & 0xFF) << 8);
            else if (word == "blue") colorValue = (colorValue & 0x00FFFF) | ((value & 0xFF) << 16);
            colorGiven = true;
            return;
        }
        CharacterWord(word, hasValue, value);
        ParagraphWord(word, value);
    }

    // Words that change where the text of a group goes; true when word was one.
    bool Destinations(const std::string& word, bool starred) {
        static const char* const kSkipped[] = {"stylesheet", "info",     "pntext",     "listtext",   "header",
                                               "footer",     "headerl",  "headerr",    "headerf",    "footerl",
                                               "footerr",    "footerf",  "footnote",   "annotation", "nonshppict",
                                               "objdata",    "objclass", "listtable",  "listoverridetable",
                                               "rsidtbl",    "xmlnstbl", "generator",  "themedata",  "datastore",
                                               "latentstyles", "colorschememapping", "filetbl", "revtbl"};
        for (const char* skipped : kSkipped) {
            if (word == skipped) {
                state.destination = Destination::Skip;
                return true;
            }
        }
        if (word == "fonttbl") state.destination = Destination::FontTable;
        else if (word == "colortbl") state.destination = Destination::ColorTable;
        else if (word == "pict") {
            state.destination = Destination::Picture;
            picture = PictureState();
        } else if (word == "fldinst") {
            state.destination = Destination::FieldInstruction;
            fieldInstruction.clear();
        } else if (word == "fldrslt") {
            state.destination = Destination::Text;
            state.link = LinkOfField();
        } else if (word == "pn") {
            state.destination = Destination::ListNumbering;
        } else if (word == "shppict" || word == "field" || word == "object" || word == "result") {
            // Containers whose inner groups carry the content.
        } else if (starred) {
            state.destination = Destination::Skip;
        } else {
            return false;
        }
        return true;
    }

    void CharacterWord(const std::string& word, bool hasValue, long value) {
        const bool on = !hasValue || value != 0;
        if (word == "plain") {
            const int link = state.link;
            const Destination destination = state.destination;
            const int unicodeSkip = state.unicodeSkip;
            state = GroupState();
            state.font = defaultFont;
            state.link = link;
            state.destination = destination;
            state.unicodeSkip = unicodeSkip;
        } else if (word == "b") state.bold = on;
        else if (word == "i") state.italic = on;
        else if (word == "strike" || word == "striked") state.strike = on;
        else if (word == "ulnone") state.underline = false;
        else if (word.compare(0, 2, "ul") == 0 && word != "ulc") state.underline = on;
        else if (word == "v") state.hidden = on;
        else if (word == "f") state.font = static_cast<int>(value);
        else if (word == "fs") state.halfPoints = static_cast<int>(value);
        else if (word == "cf") state.color = static_cast<int>(value);
        else if (word == "uc") state.unicodeSkip = static_cast<int>(value);
        else if (word == "u") {
            Character(static_cast<wchar_t>(value < 0 ? value + 65536 : value));
            unicodeToSkip = state.unicodeSkip;
        } else if (word == "deff") {
            defaultFont = static_cast<int>(value);
            state.font = defaultFont;
        } else if (word == "ansicpg") defaultCodePage = static_cast<UINT>(value);
        else if (word == "tab") Character(L'\t');
        else if (word == "line") Character(L'\n');
        else if (word == "emdash") Character(0x2014);
        else if (word == "endash") Character(0x2013);
        else if (word == "bullet") Character(0x2022);
        else if (word == "lquote") Character(0x2018);
        else if (word == "rquote") Character(0x2019);
        else if (word == "ldblquote") Character(0x201C);
        else if (word == "rdblquote") Character(0x201D);
        else if (word == "emspace" || word == "enspace" || word == "qmspace") Character(L' ');
    }

    void ParagraphWord(const std::string& word, long value) {
        if (word == "par" || word == "cell" || word == "sect") EndParagraph();
        else if (word == "pard") {
            alignment = Alignment::Left;
            list = ListKind::None;
            listStart = 1;
        } else if (word == "ql") alignment = Alignment::Left;
        else if (word == "qc") alignment = Alignment::Center;
        else if (word == "qr") alignment = Alignment::Right;
        else if (word == "qj") alignment = Alignment::Justify;
        else if (word == "ls" && value > 0 && list == ListKind::None) list = ListKind::Bullet;
    }

    void ListWord(const std::string& word, long value) {
        if (word == "pnlvlblt") list = ListKind::Bullet;
        else if (word == "pnlvlbody" || word == "pndec" || word == "pnucltr" || word == "pnlcltr" ||
                 word == "pnucrm" || word == "pnlcrm") {
            list = ListKind::Numbered;
        } else if (word == "pnstart") listStart = static_cast<int>(value);
    }

    void FontWord(const std::string& word, long value) {
        if (word == "f") {
            fontNumber = static_cast<int>(value);
            fontName.clear();
        } else if (word == "fcharset") {
            fonts[fontNumber].codePage = codePageOfCharset(static_cast<int>(value), 0);
        } else if (word == "cpg") {
            fonts[fontNumber].codePage = static_cast<UINT>(value);
        }
    }

    void PictureWord(const std::string& word, long value) {
        if (word == "pngblip") SetPicture(PictureKind::Png, false);
        else if (word == "jpegblip") SetPicture(PictureKind::Jpeg, false);
        else if (word == "emfblip") SetPicture(PictureKind::Emf, true);
        else if (word == "wmetafile") SetPicture(PictureKind::Wmf, true);
        else if (word == "dibitmap") SetPicture(PictureKind::Bmp, false);
        else if (word == "picw") picture.width = value;
        else if (word == "pich") picture.height = value;
        else if (word == "picwgoal") picture.goalWidth = value;
        else if (word == "pichgoal") picture.goalHeight = value;
        else if (word == "picscalex") picture.scaleX = value;
        else if (word == "picscaley") picture.scaleY = value;
    }

    void SetPicture(PictureKind kind, bool metafile) {
        picture.known = true;
        picture.kind = kind;
        picture.metafile = metafile;
    }

    void SkipBinary(long count) {
        const size_t n = count < 0 ? 0 : static_cast<size_t>(count) > end - at ? end - at : static_cast<size_t>(count);
        if (state.destination == Destination::Picture) {
            picture.data.append(reinterpret_cast<const char*>(data + at), n);
            picture.binary = true;
        }
        at += n;
    }

    void TextByte(unsigned char c, bool escaped = false) {
        switch (state.destination) {
        case Destination::Skip:
        case Destination::ListNumbering: return;
        case Destination::Picture:
            if (!picture.binary && hexValue(c) >= 0) picture.data += static_cast<char>(c);
            return;
        case Destination::ColorTable:
            if (c == ';') {
                colors.emplace_back(colorGiven, colorValue);
                colorGiven = false;
                colorValue = 0;
            }
            return;
        case Destination::FontTable:
            if (c == ';' && !escaped) {
                FlushBytes();
                fonts[fontNumber].name = fontName;
                fontName.clear();
                return;
            }
            break;
        default: break;
        }
        if (unicodeToSkip > 0) {
            --unicodeToSkip;
            return;
        }
        pendingBytes += static_cast<char>(c);
    }

    void FlushBytes() {
        if (pendingBytes.empty()) return;
        UINT codePage = defaultCodePage;
        if (state.destination != Destination::FontTable) {
            const auto font = fonts.find(state.font);
            if (font != fonts.end() && font->second.codePage != 0) codePage = font->second.codePage;
        }
        const int length = static_cast<int>(pendingBytes.size());
        std::wstring text(pendingBytes.size(), L'\0');
        int made = MultiByteToWideChar(codePage, 0, pendingBytes.data(), length, &text[0], length);
        if (made <= 0) made = MultiByteToWideChar(1252, 0, pendingBytes.data(), length, &text[0], length);
        pendingBytes.clear();
        for (int i = 0; i < made; ++i) Character(text[i]);
    }

    void Character(wchar_t c) {
        switch (state.destination) {
        case Destination::FontTable: fontName += c; return;
        case Destination::FieldInstruction: fieldInstruction += c; return;
        case Destination::Text:
            if (!state.hidden) RunForText().text += c;
            return;
        default: return;
        }
    }

    RichRun Format() const {
        RichRun run;
        run.bold = state.bold;
        run.italic = state.italic;
        run.underline = state.underline;
        run.strike = state.strike;
        const auto font = fonts.find(state.font);
        if (font != fonts.end()) run.font = font->second.name;
        run.halfPoints = state.halfPoints;
        if (state.color > 0 && static_cast<size_t>(state.color) < colors.size() && colors[state.color].first) {
            run.colored = true;
            run.color = colors[state.color].second;
        }
        run.link = state.link;
        return run;
    }

    static bool SameFormat(const RichRun& a, const RichRun& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.strike == b.strike &&
               a.font == b.font && a.halfPoints == b.halfPoints && a.colored == b.colored && a.color == b.color &&
               a.link == b.link && a.picture < 0 && b.picture < 0;
    }

    RichRun& RunForText() {
        RichRun format = Format();
        if (paragraph.runs.empty() || !SameFormat(paragraph.runs.back(), format)) {
            paragraph.runs.push_back(std::move(format));
        }
        return paragraph.runs.back();
    }

    void CloseGroup() {
        if (stack.empty()) return;
        const GroupState closing = state;
        state = stack.back();
        stack.pop_back();
        if (closing.destination == state.destination) return;
        if (closing.destination == Destination::Picture) EndPicture(closing);
        if (closing.destination == Destination::FontTable && !fontName.empty()) {
            fonts[fontNumber].name = fontName;
            fontName.clear();
        }
    }

    // The address of a HYPERLINK field's instruction as a link index, -1 for
    // other fields and links inside the document.
    int LinkOfField() {
        const std::wstring& instruction = fieldInstruction;
        size_t pos = instruction.find_first_not_of(L" \t");
        if (pos == std::wstring::npos || _wcsnicmp(instruction.c_str() + pos, L"HYPERLINK", 9) != 0) return -1;
        pos = instruction.find_first_not_of(L" \t", pos + 9);
        // A switch before the address (\l) names a place in the document.
        if (pos == std::wstring::npos || instruction[pos] == L'\\') return -1;
        std::wstring address;
        if (instruction[pos] == L'"') {
            const size_t close = instruction.find(L'"', pos + 1);
            address = instruction.substr(pos + 1, close == std::wstring::npos ? std::wstring::npos : close - pos - 1);
        } else {
            const size_t to = instruction.find_first_of(L" \t", pos);
            address = instruction.substr(pos, to == std::wstring::npos ? std::wstring::npos : to - pos);
        }
        if (address.empty()) return -1;
        document.links.push_back(address);
        return static_cast<int>(document.links.size()) - 1;
    }

    void EndPicture(const GroupState& closing) {
        if (!picture.known || closing.hidden) return;
        RichPicture made;
        made.kind = picture.kind;
        std::string bytes;
        if (picture.binary) {
            bytes = picture.data;
        } else {
            bytes.reserve(picture.data.size() / 2);
            for (size_t i = 0; i + 1 < picture.data.size(); i += 2) {
                bytes += static_cast<char>(hexValue(picture.data[i]) * 16 + hexValue(picture.data[i + 1]));
            }
        }
        if (bytes.empty()) return;
        // Without a goal the size is in pixels for bitmaps and in hundredths
        // of a millimetre for metafiles.
        long width = picture.goalWidth;
        long height = picture.goalHeight;
        if (width <= 0) width = picture.metafile ? picture.width * 1440 / 2540 : picture.width * 15;
        if (height <= 0) height = picture.metafile ? picture.height * 1440 / 2540 : picture.height * 15;
        made.width = static_cast<int>(width * (picture.scaleX > 0 ? picture.scaleX : 100) / 100);
        made.height = static_cast<int>(height * (picture.scaleY > 0 ? picture.scaleY : 100) / 100);
        if (made.width <= 0 || made.height <= 0) made.width = made.height = 1440;
        std::string file;
        if (picture.kind == PictureKind::Bmp) {
            // A device-independent bitmap becomes a file with the header a
            // BMP file starts with; its pixels follow the info header and the
            // colour table.
            if (bytes.size() < 40) return;
            const unsigned char* info = reinterpret_cast<const unsigned char*>(bytes.data());
            const unsigned long headerSize = info[0] | (info[1] << 8) | (info[2] << 16);
            const unsigned bitCount = info[14] | (info[15] << 8);
            unsigned long used = info[32] | (info[33] << 8) | (info[34] << 16);
            if (used == 0 && bitCount <= 8) used = 1ul << bitCount;
            file = "BM";
            put32(file, static_cast<unsigned long>(14 + bytes.size()));
            put32(file, 0);
            put32(file, 14 + headerSize + used * 4);
        } else if (picture.kind == PictureKind::Wmf) {
            // The placeable header that metafile files carry, in twips.
            std::string header;
            put32(header, 0x9AC6CDD7ul);
            put16(header, 0);
            put16(header, 0);
            put16(header, 0);
            put16(header, static_cast<unsigned>(made.width));
            put16(header, static_cast<unsigned>(made.height));
            put16(header, 1440);
            put32(header, 0);
            unsigned checksum = 0;
            for (size_t i = 0; i < header.size(); i += 2) {
                checksum ^= static_cast<unsigned char>(header[i]) | (static_cast<unsigned char>(header[i + 1]) << 8);
            }
            put16(header, checksum);
            file = header;
        }
        file += bytes;
        made.bytes.Append(file.data(), static_cast<unsigned>(file.size()));
        document.pictures.push_back(std::move(made));
        RichRun run = Format();
        run.picture = static_cast<int>(document.pictures.size()) - 1;
        paragraph.runs.push_back(std::move(run));
    }

    void EndParagraph() {
        if (state.destination != Destination::Text) return;
        paragraph.alignment = alignment;
        paragraph.list = list;
        paragraph.listStart = listStart;
        document.paragraphs.push_back(std::move(paragraph));
        paragraph = RichParagraph();
    }

    const unsigned char* data;
    size_t end;
    size_t at = 0;
    GroupState state;
    std::vector<GroupState> stack;
    bool starPending = false;
    int unicodeToSkip = 0;
    std::string pendingBytes;
    UINT defaultCodePage = 1252;
    int defaultFont = -1;
    std::map<int, Font> fonts;
    int fontNumber = 0;
    std::wstring fontName;
    std::vector<std::pair<bool, COLORREF>> colors;
    bool colorGiven = false;
    COLORREF colorValue = 0;
    PictureState picture;
    std::wstring fieldInstruction;
    Alignment alignment = Alignment::Left;
    ListKind list = ListKind::None;
    int listStart = 1;
    RichParagraph paragraph;
    RichDocument document;
};

}  // namespace

RichDocument ReadRtf(const unsigned char* bytes, size_t length) {
    RichDocument document = RtfReader(bytes, length).Read();
    MarkWebAddresses(document);
    return document;
}

}  // namespace documents
