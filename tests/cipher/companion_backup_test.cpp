// Backups of an enciphered database through the companion: they stay
// enciphered, and one made under an earlier password is restored with that
// password, read from standard input after the file's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "companion_runner.h"
#include "test_support.h"

namespace {

class CompanionEncipheredBackups : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"VORLEN_BACKUPS", root.c_str());
        ok({L"create", path});
        ok({L"add", path, L"--title", L"Zebracrossing"});
        ok({L"add", path, L"--title", L"Second"});
        ok({L"password", L"set", path}, "First\n");
    }

    std::string ok(const std::vector<std::wstring>& arguments, const std::string& input = "") {
        const CompanionRun run = runCompanion(arguments, input);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        return run.out;
    }
    // The listed backups, newest first, one a line.
    std::string listed(const char* password) {
        return ok({L"--password-stdin", L"backups", path}, std::string(password) + "\n");
    }
    static size_t lineCount(const std::string& text) {
        size_t count = 0;
        for (char c : text) count += c == '\n';
        return count;
    }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"notes.data");
    const std::wstring root = scratch.path(L"backups");
};

TEST_F(CompanionEncipheredBackups, ABackupMadeUnderAnEarlierPasswordIsRestoredWithThatPassword) {
    const std::string made = ok({L"--password-stdin", L"backup", path}, "First\n");
    const std::string backupPath = made.substr(0, made.size() - 1);
    std::wstring backup(backupPath.begin(), backupPath.end());
    ASSERT_TRUE(fileExists(backup)) << backupPath;
    EXPECT_FALSE(contains(readFileBytes(backup), "Zebracrossing")) << "a backup lay on the disk in plain text";

    ok({L"password", L"change", path}, "First\nSecond\n");
    ok({L"--password-stdin", L"--no-backup", L"delete-all", path}, "Second\n");
    // Under the file's new password the old backup's cards are not known.
    const std::string before = listed("Second");
    // Before the change, the one made above, before the password was set.
    ASSERT_EQ(lineCount(before), 3u) << before;
    const size_t line = before.find(backupPath + "\t");
    ASSERT_NE(line, std::string::npos) << before;
    EXPECT_EQ(before.substr(before.find('\n', line) - 2, 3), "\t?\n") << before;

    const struct {
        const char* name;
        std::vector<std::wstring> arguments;
        std::string input;
        std::string message;
    } refusals[] = {
        {"without the backup's password",
         {L"--password-stdin", L"restore", path, backup},
         "Second\n",
         "Cannot restore \"" + backupPath +
             "\": it is not a card database, or its password is not this file's; give --backup-password-stdin and "
             "its password.\n"},
        {"with a wrong one",
         {L"--password-stdin", L"restore", path, backup, L"--backup-password-stdin"},
         "Second\nThird\n",
         "Cannot restore \"" + backupPath + "\": it is not a card database, or its password is not the one given.\n"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        const Bytes file = readFileBytes(path);
        const CompanionRun run = runCompanion(refusal.arguments, refusal.input);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.err, refusal.message);
        EXPECT_EQ(readFileBytes(path), file);
        EXPECT_EQ(listed("Second"), before) << "a refused restore made a backup";
    }

    ok({L"--password-stdin", L"restore", path, backup, L"--backup-password-stdin"}, "Second\nFirst\n");
    EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "Second\n"), "1\tZebracrossing\n2\tSecond\n");
    // The file keeps its own password.
    EXPECT_EQ(runCompanion({L"--password-stdin", L"tree", path}, "First\n").exitCode, 1u);
    EXPECT_EQ(lineCount(listed("Second")), 4u) << "the state the restore replaced was not kept";
}

}  // namespace
