// How deep an RTF document nests, counted as the rich edit control reads
// it: escaped braces are no groups, and the data of \binN counts the deeper
// of the two ways the control reads it (skipped, or as text in a group it
// skips).
#include "window/rtf_nesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

unsigned DeepestOf(const std::string& rtf, size_t piece) {
    kiln::qwin::RtfNesting nesting;
    for (size_t at = 0; at < rtf.size(); at += piece) {
        const size_t n = rtf.size() - at < piece ? rtf.size() - at : piece;
        nesting.Feed(reinterpret_cast<const unsigned char*>(rtf.data()) + at, n);
    }
    return nesting.Deepest();
}

std::string Opened(int groups) {
    std::string text;
    for (int i = 0; i < groups; ++i) text += "{\\b ";
    return text;
}

TEST(RtfNesting, CountsGroupsAsTheEditorReadsThem) {
    const struct {
        const char* name;
        std::string rtf;
        unsigned deepest;
    } cases[] = {
        {"plain groups", "{\\rtf1 {a}{b{c}}}", 3},
        {"escaped braces", "{\\rtf1 \\{ \\{ \\\\{x}}", 2},
        // Counted, the closing braces in the data would make 33 levels look like 31.
        {"braces in binary data", "{\\rtf1 {\\*\\pict\\bin6 }}}}}}" + Opened(31) + "x}", 33},
        {"data right after the count", "{\\rtf1 \\bin3}}}" + Opened(3) + "}", 4},
        // Read as text in a skipped group, these open four groups.
        {"opening braces in binary data", "{\\rtf1 \\bin4 {{{{}", 5},
        {"a word that only begins like bin", "{\\rtf1 \\binary4 {{}}}", 3},
        {"bin without a count", "{\\rtf1 \\bin {x}}", 2},
        {"a negative count", "{\\rtf1 \\bin-4 {{}}}", 3},
        {"a count beyond the document", "{\\rtf1 \\bin99999999999999999999 {{{{{{", 7},
    };
    for (const auto& c : cases) {
        for (size_t piece : {c.rtf.size(), size_t(1), size_t(3)}) {
            EXPECT_EQ(c.deepest, DeepestOf(c.rtf, piece)) << c.name << ", pieces of " << piece;
        }
    }
}

}  // namespace
