// Reading a card's RTF into paragraphs, formatted runs, lists, links and
// pictures, as the Word document writer needs them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "documents/rtf_reader.h"
#include "sample_card_rtf.h"

using documents::Alignment;
using documents::ListKind;
using documents::RichDocument;
using documents::RichRun;

namespace {

RichDocument Read(const char* rtf) {
    return documents::ReadRtf(reinterpret_cast<const unsigned char*>(rtf), std::strlen(rtf));
}

std::wstring TextOf(const documents::RichParagraph& paragraph) {
    std::wstring text;
    for (const RichRun& run : paragraph.runs) text += run.picture >= 0 ? L"[picture]" : run.text;
    return text;
}

const RichRun& RunWith(const documents::RichParagraph& paragraph, const wchar_t* text) {
    for (const RichRun& run : paragraph.runs) {
        if (run.text == text) return run;
    }
    ADD_FAILURE() << "no run of its own holds the text";
    static const RichRun none;
    return none;
}

TEST(RtfReader, TheSampleCardsParagraphsRunsListsLinksAndPicture) {
    const RichDocument document = Read(kSampleCardRtf);
    ASSERT_EQ(9u, document.paragraphs.size());
    const wchar_t* const texts[] = {
        L"Plain bold italic under gone red small Arial",
        L"\u00E9t\u00E9 \u20AC \u0410",
        L"first bullet",
        L"second bullet",
        L"three",
        L"four",
        L"Visit the site or www.example.com.",
        L"A picture: [picture]",
        L"Last line",
    };
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(texts[i], TextOf(document.paragraphs[i])) << "paragraph " << i;

    const documents::RichParagraph& first = document.paragraphs[0];
    EXPECT_EQ(Alignment::Center, first.alignment);
    EXPECT_EQ(L"Segoe UI", RunWith(first, L"Plain ").font);
    EXPECT_EQ(28, RunWith(first, L"Plain ").halfPoints);
    EXPECT_FALSE(RunWith(first, L"Plain ").bold);
    EXPECT_TRUE(RunWith(first, L"bold").bold);
    EXPECT_TRUE(RunWith(first, L"italic").italic);
    EXPECT_TRUE(RunWith(first, L"under").underline);
    EXPECT_TRUE(RunWith(first, L"gone").strike);
    EXPECT_TRUE(RunWith(first, L"red").colored);
    EXPECT_EQ(RGB(255, 0, 0), RunWith(first, L"red").color);
    EXPECT_EQ(L"Arial", RunWith(first, L"small Arial").font);
    EXPECT_EQ(20, RunWith(first, L"small Arial").halfPoints);
    EXPECT_FALSE(RunWith(first, L"small Arial").colored);

    EXPECT_EQ(Alignment::Right, document.paragraphs[1].alignment);
    EXPECT_EQ(L"Arial", document.paragraphs[1].runs.back().font) << "the character set of its font";

    EXPECT_EQ(ListKind::None, first.list);
    EXPECT_EQ(ListKind::Bullet, document.paragraphs[2].list);
    EXPECT_EQ(ListKind::Bullet, document.paragraphs[3].list);
    EXPECT_EQ(ListKind::Numbered, document.paragraphs[4].list);
    EXPECT_EQ(3, document.paragraphs[4].listStart);
    EXPECT_EQ(ListKind::Numbered, document.paragraphs[5].list);
    EXPECT_EQ(ListKind::None, document.paragraphs[6].list);
    EXPECT_EQ(Alignment::Left, document.paragraphs[6].alignment);

    ASSERT_EQ(2u, document.links.size());
    EXPECT_EQ(L"https://example.org/a?b=1&c=2", document.links[0]);
    EXPECT_EQ(L"http://www.example.com", document.links[1]);
    const RichRun& site = RunWith(document.paragraphs[6], L"the site");
    EXPECT_EQ(0, site.link);
    EXPECT_TRUE(site.underline);
    EXPECT_EQ(RGB(0, 0, 255), site.color);
    EXPECT_EQ(1, RunWith(document.paragraphs[6], L"www.example.com").link);
    EXPECT_EQ(-1, RunWith(document.paragraphs[6], L".").link);

    ASSERT_EQ(1u, document.pictures.size()) << "the metafile copy is not a second picture";
    EXPECT_EQ(documents::PictureKind::Png, document.pictures[0].kind);
    EXPECT_EQ(1440, document.pictures[0].width);
    EXPECT_EQ(720, document.pictures[0].height);
    ASSERT_EQ(sizeof kSamplePng, document.pictures[0].bytes.GetCount());
    EXPECT_EQ(0, std::memcmp(kSamplePng, document.pictures[0].bytes.GetData(), sizeof kSamplePng));
}

TEST(RtfReader, EscapesGroupsAndDestinationsThatCarryNoText) {
    struct Case {
        const char* rtf;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"{\\rtf1 a\\{b\\}c\\\\d}", L"a{b}c\\d"},
        {"{\\rtf1 {\\*\\unknown skipped {nested}}kept}", L"kept"},
        {"{\\rtf1 {\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}body}", L"body"},
        // \uc2: two fallback characters after each \u, a \'hh counting as one.
        {"{\\rtf1\\uc2 \\u26085\\'93\\'fa!}", L"\u65E5!"},
        {"{\\rtf1 \\u-10179?\\u-8704?}", L"\U0001F600"},
        {"{\\rtf1 tab\\tab line\\line end}", L"tab\tline\nend"},
        // Binary picture data may hold braces.
        {"{\\rtf1 {\\pict\\pngblip\\bin4 {}}\x01}after}", L"[picture]after"},
        {"{\\rtf1 unclosed {\\b group", L"unclosed group"},
        {"{\\rtf1 cut at \\'", L"cut at "},
        {"{\\rtf1 stored}\r\n\x01" "after the end", L"stored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        const RichDocument document = Read(c.rtf);
        std::wstring text;
        for (const auto& paragraph : document.paragraphs) text += TextOf(paragraph);
        EXPECT_EQ(c.text, text);
    }
}

TEST(RtfReader, APlainTextBecomesOneParagraphAndEmptyInputNone) {
    EXPECT_TRUE(Read("").paragraphs.empty());
    const RichDocument document = Read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Consolas;}}\\f0\\fs20 only\\par}");
    ASSERT_EQ(1u, document.paragraphs.size());
    EXPECT_EQ(L"Consolas", document.paragraphs[0].runs[0].font);
}

}  // namespace
