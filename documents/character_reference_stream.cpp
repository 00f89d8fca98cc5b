#include "documents/character_reference_stream.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "documents/read_only_stream.h"

namespace {

enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Other };

// What the units read so far are inside of.
enum class Context { Content, Comment, CData, Instruction };

// Far enough ahead to tell any construct that starts at a unit: the longest
// is a reference with its leading zeros, which is left alone past this.
constexpr size_t kLookahead = 32;
constexpr ULONG kChunk = 65536;
// The XML declaration, which names the encoding, fits in this many bytes.
constexpr size_t kDeclarationRoom = 1024;

bool StartsWith(const std::string& bytes, const char* prefix, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return true;
}

// The encoding the declaration of a byte-oriented part names: UTF-8 when it
// names none. Other when the declaration cannot be read within its room.
Encoding DeclaredEncoding(const std::string& head, size_t start) {
    if (head.compare(start, 5, "<?xml") != 0) return Encoding::Utf8;
    const size_t end = head.find("?>", start);
    if (end == std::string::npos) return Encoding::Other;
    const std::string declaration = head.substr(start, end - start);
    const size_t name = declaration.find("encoding");
    if (name == std::string::npos) return Encoding::Utf8;
    const size_t quote = declaration.find_first_of("\"'", name);
    if (quote == std::string::npos) return Encoding::Other;
    const size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string::npos) return Encoding::Other;
    const std::string value = declaration.substr(quote + 1, close - quote - 1);
    return EqualsNoCase(value, "utf-8") || EqualsNoCase(value, "utf8") ? Encoding::Utf8 : Encoding::Other;
}

class CharacterReferenceStream : public ReadOnlyStream {
public:
    explicit CharacterReferenceStream(IStream* source) : source(source) { source->AddRef(); }
    ~CharacterReferenceStream() override { source->Release(); }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* done) override {
        auto* out = static_cast<unsigned char*>(buffer);
        ULONG produced = 0;
        while (produced < wanted) {
            if (taken == output.size()) {
                output.clear();
                taken = 0;
                if (ended && input.empty()) break;
                const HRESULT filled = Fill();
                if (FAILED(filled)) {
                    if (done) *done = 0;
                    return filled;
                }
                continue;
            }
            const size_t n = output.size() - taken < wanted - produced ? output.size() - taken : wanted - produced;
            std::memcpy(out + produced, output.data() + taken, n);
            taken += n;
            produced += static_cast<ULONG>(n);
        }
        if (done) *done = produced;
        return produced == wanted ? S_OK : S_FALSE;
    }

private:
    HRESULT Fill() {
        if (!ended) {
            char chunk[kChunk];
            ULONG got = 0;
            const HRESULT read = source->Read(chunk, kChunk, &got);
            if (FAILED(read)) return read;
            input.append(chunk, got);
            if (read != S_OK || got == 0) ended = true;
        }
        if (!decided && !Decide()) return S_OK;
        Convert();
        return S_OK;
    }

    // The encoding, once enough of the part's start is there to tell it.
    bool Decide() {
        const size_t enough = ended ? input.size() : kDeclarationRoom;
        if (input.size() < enough) return false;
        if (StartsWith(input, "\xFF\xFE", 2) || StartsWith(input, "<\0?\0", 4)) {
            encoding = Encoding::Utf16LittleEndian;
        } else if (StartsWith(input, "\xFE\xFF", 2) || StartsWith(input, "\0<\0?", 4)) {
            encoding = Encoding::Utf16BigEndian;
        } else {
            encoding = DeclaredEncoding(input, StartsWith(input, "\xEF\xBB\xBF", 3) ? 3 : 0);
        }
        unitSize = encoding == Encoding::Utf8 || encoding == Encoding::Other ? 1 : 2;
        decided = true;
        return true;
    }

    uint32_t Unit(size_t index) const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(input.data()) + index * unitSize;
        switch (encoding) {
        case Encoding::Utf16LittleEndian: return bytes[0] | (uint32_t(bytes[1]) << 8);
        case Encoding::Utf16BigEndian: return (uint32_t(bytes[0]) << 8) | bytes[1];
        default: return bytes[0];
        }
    }

    // Whether the units from index spell text (ASCII); false also when the
    // input ends before.
    bool Spells(size_t index, size_t units, const char* text) const {
        const size_t length = std::strlen(text);
        if (index + length > units) return false;
        for (size_t i = 0; i < length; ++i) {
            if (Unit(index + i) != static_cast<unsigned char>(text[i])) return false;
        }
        return true;
    }

    void Copy(size_t index, size_t count) {
        output.append(input, index * unitSize, count * unitSize);
    }

    void PutUnit(uint32_t unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        if (encoding == Encoding::Utf16LittleEndian) {
            output += low;
            output += high;
        } else {
            output += high;
            output += low;
        }
    }

    void PutCharacter(uint32_t character) {
        if (encoding == Encoding::Utf8) {
            output += static_cast<char>(0xF0 | (character >> 18));
            output += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
            output += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
            output += static_cast<char>(0x80 | (character & 0x3F));
            return;
        }
        const uint32_t offset = character - 0x10000;
        PutUnit(0xD800 + (offset >> 10));
        PutUnit(0xDC00 + (offset & 0x3FF));
    }

    // The units a reference to a character beyond the basic plane takes at
    // index, with the character; 0 for anything else.
    size_t WideReference(size_t index, size_t units, uint32_t& character) const {
        size_t at = index + 2;
        const bool hex = at < units && Unit(at) == 'x';
        if (hex) ++at;
        const size_t digitsStart = at;
        uint64_t value = 0;
        for (; at < units && at < index + kLookahead; ++at) {
            const uint32_t c = Unit(at);
            uint32_t digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (hex && c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                break;
            }
            value = value * (hex ? 16 : 10) + digit;
            if (value > 0x10FFFF) return 0;
        }
        if (at == digitsStart || at >= units || Unit(at) != ';' || value < 0x10000) return 0;
        character = static_cast<uint32_t>(value);
        return at + 1 - index;
    }

    void Convert() {
        const size_t units = input.size() / unitSize;
        // Near the end of what has arrived, a construct may go on in the next chunk.
        const size_t settled = ended ? units : (units > kLookahead ? units - kLookahead : 0);
        size_t i = 0;
        if (encoding == Encoding::Other) {
            i = settled;
            Copy(0, i);
        }
        while (i < settled) {
            const uint32_t unit = Unit(i);
            size_t step = 1;
            switch (context) {
            case Context::Content:
                if (unit == '&' && Spells(i, units, "&#")) {
                    uint32_t character = 0;
                    const size_t length = WideReference(i, units, character);
                    if (length) {
                        PutCharacter(character);
                        i += length;
                        continue;
                    }
                } else if (Spells(i, units, "<!--")) {
                    context = Context::Comment;
                    step = 4;
                } else if (Spells(i, units, "<![CDATA[")) {
                    context = Context::CData;
                    step = 9;
                } else if (Spells(i, units, "<?")) {
                    context = Context::Instruction;
                    step = 2;
                }
                break;
            case Context::Comment:
                if (Spells(i, units, "-->")) {
                    context = Context::Content;
                    step = 3;
                }
                break;
            case Context::CData:
                if (Spells(i, units, "]]>")) {
                    context = Context::Content;
                    step = 3;
                }
                break;
            case Context::Instruction:
                if (Spells(i, units, "?>")) {
                    context = Context::Content;
                    step = 2;
                }
                break;
            }
            Copy(i, step);
            i += step;
        }
        // A UTF-16 part cut inside a unit keeps its odd byte for the parser to judge.
        if (ended && i >= units) {
            output.append(input, units * unitSize, std::string::npos);
            input.clear();
            return;
        }
        input.erase(0, i * unitSize);
    }

    IStream* source;
    std::string input;
    std::string output;
    size_t taken = 0;
    bool ended = false;
    bool decided = false;
    Encoding encoding = Encoding::Utf8;
    size_t unitSize = 1;
    Context context = Context::Content;
};

}  // namespace

IStream* CreateCharacterReferenceStream(IStream* source) {
    return new CharacterReferenceStream(source);
}
