#include "documents/rtf_pictures.h"

#include <cstdlib>
#include <cstring>
#include <utility>

using kiln::qstd::QBuffer;

namespace documents {

namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// One control word at a backslash: its name, its parameter and where the
// text after it starts (past the one space that ends a word). Control
// symbols (\{, \', \*) have an empty name.
struct ControlWord {
    std::string name;
    bool hasParameter = false;
    long parameter = 0;
    size_t end = 0;
};

ControlWord ReadControlWord(const unsigned char* rtf, size_t count, size_t at) {
    ControlWord word;
    size_t i = at + 1;
    while (i < count && IsLetter(rtf[i])) word.name += static_cast<char>(rtf[i++]);
    if (word.name.empty()) {
        word.end = i < count ? i + 1 : count;
        return word;
    }
    const size_t digitsFrom = i;
    if (i < count && rtf[i] == '-') ++i;
    while (i < count && IsDigit(rtf[i])) ++i;
    if (i > digitsFrom && IsDigit(rtf[i - 1])) {
        word.hasParameter = true;
        word.parameter = std::strtol(std::string(rtf + digitsFrom, rtf + i).c_str(), nullptr, 10);
    } else {
        i = digitsFrom;
    }
    if (i < count && rtf[i] == ' ') ++i;
    word.end = i;
    return word;
}

// Where the text after the control word at at continues: past the data of
// \binN, which may hold any byte, braces and backslashes included.
size_t PastWord(const ControlWord& word, size_t count) {
    if (word.name == "bin" && word.hasParameter && word.parameter > 0) {
        const size_t data = static_cast<size_t>(word.parameter);
        return data < count - word.end ? word.end + data : count;
    }
    return word.end;
}

// Just past the brace that closes the group opened at start; 0 when the
// document ends first.
size_t GroupEnd(const unsigned char* rtf, size_t count, size_t start) {
    unsigned depth = 0;
    for (size_t i = start; i < count;) {
        const unsigned char c = rtf[i];
        if (c == '\\') {
            i = PastWord(ReadControlWord(rtf, count, i), count);
            continue;
        }
        ++i;
        if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return i;
        }
    }
    return 0;
}

// The first control word of the group opened at start, past a \* marker.
std::string FirstWord(const unsigned char* rtf, size_t count, size_t start) {
    size_t i = start + 1;
    while (i < count && (rtf[i] == '\r' || rtf[i] == '\n')) ++i;
    if (i + 1 < count && rtf[i] == '\\' && rtf[i + 1] == '*') {
        i += 2;
        while (i < count && (rtf[i] == ' ' || rtf[i] == '\r' || rtf[i] == '\n')) ++i;
    }
    if (i >= count || rtf[i] != '\\') return std::string();
    return ReadControlWord(rtf, count, i).name;
}

bool IsPictureWord(const std::string& word) {
    return word == "pict" || word == "object" || word == "shppict" || word == "nonshppict";
}

size_t SkipLineBreaks(const unsigned char* rtf, size_t count, size_t at) {
    while (at < count && (rtf[at] == '\r' || rtf[at] == '\n' || rtf[at] == ' ')) ++at;
    return at;
}

void Append(QBuffer& out, const unsigned char* bytes, size_t count) {
    if (count) out.Append(bytes, static_cast<unsigned>(count));
}

void Append(QBuffer& out, const std::string& text) {
    Append(out, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// The picture number of a placeholder's text at at, or 0 when there is none;
// end is then just past it.
size_t PlaceholderAt(const unsigned char* rtf, size_t count, size_t at, size_t& end) {
    static const char opening[] = "[picture ";
    const size_t length = sizeof opening - 1;
    if (count - at < length + 2 || std::memcmp(rtf + at, opening, length) != 0) return 0;
    size_t i = at + length;
    size_t number = 0;
    while (i < count && IsDigit(rtf[i]) && number < 100000000) number = number * 10 + (rtf[i++] - '0');
    if (i == at + length || i >= count || rtf[i] != ']') return 0;
    end = i + 1;
    return number;
}

}  // namespace

std::string RtfPictures::PlaceholderText(size_t number) {
    return "[picture " + std::to_string(number) + "]";
}

std::string RtfPictures::Add(std::string group) {
    groups.push_back(std::move(group));
    return "{\\protect " + PlaceholderText(groups.size()) + "}";
}

void RtfPictures::SetAside(const unsigned char* rtf, size_t count, QBuffer& out) {
    size_t copied = 0;
    for (size_t i = 0; i < count;) {
        const unsigned char c = rtf[i];
        if (c == '\\') {
            i = PastWord(ReadControlWord(rtf, count, i), count);
            continue;
        }
        if (c != '{') {
            ++i;
            continue;
        }
        const std::string word = FirstWord(rtf, count, i);
        const size_t end = IsPictureWord(word) ? GroupEnd(rtf, count, i) : 0;
        if (end == 0) {
            ++i;
            continue;
        }
        size_t last = end;
        if (word == "shppict") {
            const size_t next = SkipLineBreaks(rtf, count, end);
            if (next < count && rtf[next] == '{' && FirstWord(rtf, count, next) == "nonshppict") {
                const size_t alternativeEnd = GroupEnd(rtf, count, next);
                if (alternativeEnd) last = alternativeEnd;
            }
        }
        Append(out, rtf + copied, i - copied);
        Append(out, Add(std::string(rtf + i, rtf + last)));
        i = copied = last;
    }
    Append(out, rtf + copied, count - copied);
}

void RtfPictures::PutBack(const unsigned char* rtf, size_t count, QBuffer& out) const {
    // Whether the text is protected, for each open group.
    std::vector<bool> protectedText(1, false);
    size_t copied = 0;
    for (size_t i = 0; i < count;) {
        const unsigned char c = rtf[i];
        if (c == '\\') {
            const ControlWord word = ReadControlWord(rtf, count, i);
            if (word.name == "protect") {
                protectedText.back() = !word.hasParameter || word.parameter != 0;
            } else if (word.name == "plain") {
                protectedText.back() = false;
            }
            i = PastWord(word, count);
            continue;
        }
        if (c == '{') {
            protectedText.push_back(protectedText.back());
        } else if (c == '}' && protectedText.size() > 1) {
            protectedText.pop_back();
        } else if (c == '[' && protectedText.back()) {
            size_t end = 0;
            const size_t number = PlaceholderAt(rtf, count, i, end);
            if (number >= 1 && number <= groups.size()) {
                Append(out, rtf + copied, i - copied);
                Append(out, groups[number - 1]);
                i = copied = end;
                continue;
            }
        }
        ++i;
    }
    Append(out, rtf + copied, count - copied);
}

}  // namespace documents
