// Files streamed into the editor: the text encoding is told from the first
// bytes, afresh for every file.

#include "core/qerror.h"
#include "core/qfile.h"
#include "editor_fixture.h"

namespace editortest {
namespace {

using kiln::files::QFile;

struct Streamed {
    bool result;
    WPARAM flags;
};

class StreamInTest : public EditorTest {
protected:
    Streamed Stream(const std::string& bytes, WPARAM flags, const wchar_t* extension = L".txt") {
        ScratchFile scratch(bytes, extension);
        QFile file(scratch.Path(), QFile::modeRead);
        const bool result = page.GetEditor().StreamInFile(file, flags);
        return {result, flags};
    }
};

struct EncodingCase {
    const char* name;
    std::string bytes;
    std::wstring text;
    bool unicode;
};

TEST_F(StreamInTest, TextEncodingIsDetectedFromTheFirstBytes) {
    const EncodingCase cases[] = {
        {"three bytes, too short to detect", "a\0b", L"a", false},
        {"8-bit text", "plain text", L"plain text", false},
        {"UTF-16 LE without mark", std::string("A\0B\0", 4), L"AB", true},
        {"UTF-16 BE without mark", std::string("\0A\0B", 4), L"AB", true},
        {"UTF-16 LE with mark", std::string("\xFF\xFE" "A\0B\0", 6), L"AB", true},
        {"UTF-16 BE with mark", std::string("\xFE\xFF\0A\0B", 6), L"AB", true},
        {"UTF-8 with mark", "\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F", L"gr\u00FC\u00DF", false},
        {"UTF-8 without mark", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", L"caf\u00E9 \u20AC \U0001F600", false},
        {"UTF-8 without mark, too short to detect UTF-16", "\xC3\xA9", L"\u00E9", false},
        {"UTF-8 with a character across the first 64 KiB", std::string(65535, 'a') + "\xC3\xA9",
         std::wstring(65535, L'a') + L"\u00E9", false},
        {"ANSI beyond the first 64 KiB", std::string(65536, 'a') + "\xE9", std::wstring(65536, L'a') + L"\u00E9",
         false},
        {"ANSI that is no UTF-8", "caf\xE9 \x80", L"caf\u00E9 \u20AC", false},
        {"an overlong form is no UTF-8", "\xC0\xAF\xC3\xA9", L"\u00C0\u00AF\u00C3\u00A9", false},
        {"UTF-8 cut off at the end is no UTF-8", "caf\xC3\xA9\xE2\x82", L"caf\u00C3\u00A9\u00E2\u201A", false},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetText(L"");
        const Streamed streamed = Stream(c.bytes, SF_TEXT | SFF_SELECTION);
        EXPECT_TRUE(streamed.result);
        EXPECT_EQ((streamed.flags & SF_UNICODE) != 0, c.unicode);
        EXPECT_EQ(streamed.flags & (SF_TEXT | SFF_SELECTION), static_cast<WPARAM>(SF_TEXT | SFF_SELECTION));
        EXPECT_EQ(Text(), c.text);
    }
}

TEST_F(StreamInTest, AnEmptyFileLeavesTheControlAloneAndSucceeds) {
    SetText(L"kept");
    Select(0, 4);
    const Streamed streamed = Stream("", SF_TEXT | SFF_SELECTION);
    EXPECT_TRUE(streamed.result);
    EXPECT_EQ(streamed.flags, static_cast<WPARAM>(SF_TEXT | SFF_SELECTION));
    EXPECT_EQ(Text(), L"kept");
}

TEST_F(StreamInTest, ByteSwappingIsDecidedAfreshForEveryFile) {
    SetText(L"");
    Stream(std::string("\0A\0B", 4), SF_TEXT | SFF_SELECTION);
    Stream(std::string("C\0D\0", 4), SF_TEXT | SFF_SELECTION);
    Stream("{\\rtf1\\ansi EF}", SF_RTF | SFF_SELECTION);
    Stream("GH", SF_TEXT | SFF_SELECTION);
    EXPECT_EQ(Text(), L"ABCDEFGH");
}

TEST_F(StreamInTest, TextGoesInAtTheSelection) {
    SetText(L"one three");
    Select(4, 4);
    Stream("two ", SF_TEXT | SFF_SELECTION);
    EXPECT_EQ(Text(), L"one two three");
}

TEST_F(StreamInTest, AnRtfFileTheControlCannotReadReportsFalse) {
    SetText(L"");
    EXPECT_FALSE(Stream("", SF_RTF | SFF_SELECTION, L".rtf").result);
}

std::string Repeat(const std::string& piece, unsigned times) {
    std::string repeated;
    for (unsigned i = 0; i < times; ++i) repeated += piece;
    return repeated;
}

std::string NestedRtf(unsigned groups, const std::string& opening) {
    return "{\\rtf1\\ansi " + Repeat(opening, groups - 1) + "x" + std::string(groups, '}');
}

// The control reads RTF with a fixed stack of group states and crashes on a
// document that nests deeper: such a file is refused before it gets there.
TEST_F(StreamInTest, RtfNestedDeeperThanTheControlTakesIsRefused) {
    const std::string bin40 = "\\bin40 " + std::string(40, '{');
    const struct {
        const char* name;
        std::string rtf;
        const wchar_t* refusal;
        std::wstring text;
    } cases[] = {
        {"32 groups", NestedRtf(32, "{"), nullptr, L"x"},
        {"32 bold groups", NestedRtf(32, "{\\b "), nullptr, L"x"},
        {"escaped braces are no groups", "{\\rtf1\\ansi " + Repeat("\\{", 40) + "}", nullptr, std::wstring(40, L'{')},
        {"33 groups", NestedRtf(33, "{"), L"The RTF nests its groups 33 deep; the editor takes at most 32.", L"kept"},
        {"braces in binary data count, as the control reads them", "{\\rtf1\\ansi {\\*\\vorlenjunk " + bin40 + "}x}",
         L"The RTF nests its groups 42 deep; the editor takes at most 32.", L"kept"},
        {"50 bold groups", NestedRtf(50, "{\\b "), L"The RTF nests its groups 50 deep; the editor takes at most 32.",
         L"kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetText(L"kept");
        Select(0, 4);
        try {
            const Streamed streamed = Stream(c.rtf, SF_RTF | SFF_SELECTION, L".rtf");
            EXPECT_EQ(c.refusal, nullptr) << "not refused";
            EXPECT_TRUE(streamed.result);
        } catch (const kiln::qstd::QError& error) {
            ASSERT_NE(c.refusal, nullptr) << error.message.c_str();
            EXPECT_STREQ(error.message.c_str(), c.refusal);
        }
        EXPECT_EQ(Text(), c.text);
    }
}

}  // namespace
}  // namespace editortest
