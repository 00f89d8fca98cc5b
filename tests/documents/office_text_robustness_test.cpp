// Damaged Office packages, made from a well-formed one by a seeded
// generator, go through the whole extraction: archive, decoder and XML
// parser. Whatever the damage, the extraction returns: with text no longer
// than the part could give, or with none at all. A failure names the round.
#include <gtest/gtest.h>

#include <string>

#include "core/qstring.h"
#include "documents/office_text.h"
#include "mutation.h"
#include "test_data.h"
#include "zip_builder.h"

namespace {

const uint32_t Seed = 0x0FF1CE;

std::string WordPackage(const std::string& document, bool deflated) {
    ziptest::ZipBuilder b;
    b.AddStored("[Content_Types].xml", "<Types/>");
    if (deflated) {
        b.AddDeflated("word/document.xml", document);
    } else {
        b.AddStored("word/document.xml", document);
    }
    b.AddStored("xl/workbook.xml", "<workbook/>");
    b.AddStored("xl/worksheets/sheet1.xml", "<worksheet><c><v>1</v></c></worksheet>");
    return b.Build();
}

TEST(OfficeTextRobustness, DamagedPackagesGiveTextOrFailCleanly) {
    std::string document = "<?xml version=\"1.0\"?><w:document xmlns:w=\"urn:w\"><w:body>";
    for (int i = 0; i < 40; ++i) {
        document += "<w:p><w:r><w:t xml:space=\"preserve\">" + ziptest::ProseText(40, i + 1) + "</w:t></w:r></w:p>\n";
    }
    document += "</w:body></w:document>";
    const std::string originals[] = {WordPackage(document, false), WordPackage(document, true)};

    ziptest::Random random(Seed);
    ziptest::TempFile file("", L".docx");
    unsigned succeeded = 0;
    for (unsigned round = 0; round < 600; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round << " of seed " << Seed);
        const std::string& original = originals[round % 2];
        // Aim most of the damage at the document part itself.
        const size_t part = original.find("<?xml");
        file.Rewrite(ziptest::Mutate(original, part == std::string::npos ? 0 : part, random));
        kiln::qstd::QString text;
        if (ExtractOfficeText(file.Path(), text)) {
            ++succeeded;
            // A stored part is no longer than the file, and each of its
            // bytes gives at most a character and a line feed.
            if (round % 2 == 0) {
                ASSERT_LE(static_cast<size_t>(text.GetLength()), original.size() * 2);
            }
        } else {
            ASSERT_EQ(0, text.GetLength());
        }
    }
    // Most damage inside the document part makes its XML unreadable, which
    // is an error; damage elsewhere still leaves a readable document.
    EXPECT_GT(succeeded, 30u);
}

}  // namespace
