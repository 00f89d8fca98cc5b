// What the reader of RTF text does where no editor is there to compare
// with: documents an editor would refuse or crash on, and fields.

#include <gtest/gtest.h>

#include <string>

#include "documents/rtf_plain_text.h"

namespace {

bool TextOf(const std::string& rtf, std::wstring& text) {
    kiln::qstd::QString read;
    const bool isRtf = RtfPlainText(reinterpret_cast<const unsigned char*>(rtf.data()), rtf.size(), read);
    text = read.c_str();
    return isRtf;
}

TEST(RtfPlainText, KeepsWhatADocumentShowsAndNothingOfWhatItHides) {
    const struct {
        const char* name;
        std::string rtf;
        const wchar_t* text;
    } cases[] = {
        {"a field's result, not its instruction",
         "{\\rtf1\\ansi see {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/\"}}{\\fldrslt{\\ul the site}}}.}",
         L"see the site."},
        {"a zero character is no end", "{\\rtf1\\ansi a\\u0?b\\'00c}", L"abc"},
        {"a bad escape is passed over", "{\\rtf1\\ansi a\\'zzb\\'4}", L"azzb4"},
        {"an empty document", "{\\rtf1\\ansi }", L""},
        {"braces in a skipped group", "{\\rtf1\\ansi a{\\*\\x \\} \\{ {b}}c}", L"ac"},
        {"the symbol font", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset2 Symbol;}}\\f0 a\\'b7}", L"\xF061\xF0B7"},
        {"a font no table names", "{\\rtf1\\ansi\\ansicpg1251 \\f9\\'c0}", L"\x0410"},
        {"RTF marked as Unicode", "{\\urtf1 x}", L"x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text;
        EXPECT_TRUE(TextOf(c.rtf, text));
        EXPECT_EQ(text, c.text);
    }
}

// Nesting costs a few bytes a level, not the stack: a million levels.
TEST(RtfPlainText, AnyNestingIsReadWithoutRecursion) {
    const size_t depth = 1000000;
    std::string rtf = "{\\rtf1\\ansi ";
    for (size_t i = 0; i < depth; ++i) rtf += "{\\b ";
    rtf += "deep";
    rtf.append(depth, '}');
    rtf += " after}";
    std::wstring text;
    ASSERT_TRUE(TextOf(rtf, text));
    EXPECT_EQ(text, L"deep after");
}

TEST(RtfPlainText, AnythingThatDoesNotBeginAsRtfIsNotRead) {
    for (const std::string bytes : {"", "{", "{\\rt", "plain text", " {\\rtf1 x}", "{\\RTF1 x}"}) {
        SCOPED_TRACE(bytes);
        std::wstring text = L"old";
        EXPECT_FALSE(TextOf(bytes, text));
        EXPECT_EQ(text, L"");
    }
}

}  // namespace
