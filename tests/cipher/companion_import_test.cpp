// The companion's import and export on enciphered databases, run as separate
// processes with the passwords piped in: the target's on the first line, the
// source's on the next.
#include <gtest/gtest.h>

#include <string>

#include "companion_runner.h"
#include "test_support.h"

namespace {

class CompanionImport : public testing::Test {
protected:
    void SetUp() override {
        ok({L"create", target});
        ok({L"add", target, L"--title", L"Own card"});
        ok({L"password", L"set", target}, "Target\n");
        ok({L"create", source});
        ok({L"add", source, L"--title", L"Parent"});
        ok({L"add", source, L"--parent", L"1", L"--title", L"Child"});
        ok({L"password", L"set", source}, "Source\n");
    }

    std::string ok(const std::vector<std::wstring>& arguments, const std::string& input = "") {
        const CompanionRun run = runCompanion(arguments, input);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        return run.out;
    }

    ScratchDirectory scratch;
    const std::wstring target = scratch.path(L"target.data");
    const std::wstring source = scratch.path(L"source.data");
};

TEST_F(CompanionImport, CopiesAnEncipheredSourceUnderImport) {
    const Bytes sourceBefore = readFileBytes(source);
    EXPECT_EQ("2\n", ok({L"--password-stdin", L"import", target, source, L"--source-password-stdin"},
                        "Target\nSource\n"));
    EXPECT_EQ("1\tOwn card\n2\tImport\n  3\tParent\n    4\tChild\n", ok({L"--password-stdin", L"tree", target},
                                                                             "Target\n"));
    EXPECT_EQ(readFileBytes(source), sourceBefore) << "the source is only read";
}

TEST_F(CompanionImport, RefusalsLeaveTheTargetAsItWas) {
    // A wrong key reads like a damaged or foreign file, so the message says both.
    const std::string wrongSourceKey =
        "Cannot open \"" + utf8(source) + "\": it is not a card database, or the password is wrong.";
    const struct {
        const char* name;
        std::vector<std::wstring> arguments;
        std::string input;
        std::string message;
    } cases[] = {
        {"a wrong source password",
         {L"--password-stdin", L"import", target, source, L"--source-password-stdin"},
         "Target\nWrong\n",
         wrongSourceKey},
        {"no source password", {L"--password-stdin", L"import", target, source}, "Target\n", wrongSourceKey},
        {"the same file spelled otherwise",
         {L"--password-stdin", L"import", target, scratch.path(L".\\TARGET.DATA")},
         "Target\n",
         "You can't import the same database!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = readFileBytes(target);
        const CompanionRun run = runCompanion(c.arguments, c.input);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.err, c.message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(readFileBytes(target), before);
    }
}

TEST_F(CompanionImport, ExportsACardOfAnEncipheredDatabase) {
    const std::wstring content = scratch.path(L"content.rtf");
    const std::string contentRtf = "{\\rtf1\\ansi {\\b Bold} child text\\par}";
    writeFileBytes(content, Bytes(contentRtf.begin(), contentRtf.end()));
    ok({L"--password-stdin", L"put", source, L"2", content}, "Source\n");
    const std::wstring rtf = scratch.path(L"card.rtf");
    const std::wstring word = scratch.path(L"card.DOCX");
    ok({L"--password-stdin", L"export", source, L"2", rtf}, "Source\n");
    ok({L"--password-stdin", L"export", source, L"2", word}, "Source\n");
    const Bytes stored = readFileBytes(rtf);
    const std::string shown = ok({L"--password-stdin", L"show", source, L"2", L"--rtf"}, "Source\n");
    EXPECT_EQ(std::string(stored.begin(), stored.end()), shown);
    const Bytes document = readFileBytes(word);
    ASSERT_GT(document.size(), 4u);
    EXPECT_EQ("PK\x03\x04", std::string(document.begin(), document.begin() + 4));
    // The editor ends its stream with the mark of the last, empty paragraph
    // where Wine's control writes it.
    const std::string text = ok({L"office-text", word});
    EXPECT_EQ("Bold child text\n", text.substr(0, 16));
    EXPECT_EQ(std::string::npos, text.find_first_not_of('\n', 16)) << text;

    const CompanionRun missing =
        runCompanion({L"--password-stdin", L"export", source, L"9", scratch.path(L"other.rtf")}, "Source\n");
    EXPECT_EQ(missing.exitCode, 1u);
}

}  // namespace
