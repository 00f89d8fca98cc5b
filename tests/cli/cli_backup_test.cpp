// The companion's backups: one before each command that removes or
// rewrites much, a refusal when it cannot be made (unless --no-backup), and
// backup, backups and restore.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_process.h"
#include "tests/support/folder_removal.h"

namespace {

std::wstring tempPath(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + name;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1) {
        result.push_back(line.substr(start, end - start));
    }
    result.push_back(line.substr(start));
    return result;
}

class CompanionBackups : public ::testing::Test {
protected:
    void SetUp() override {
        path = tempPath(L"vorlen-cli-backups.data");
        source = tempPath(L"vorlen-cli-backups-source.data");
        root = tempPath(L"vorlen-cli-backup-root");
        DeleteFileW(path.c_str());
        DeleteFileW(source.c_str());
        RemoveFolderTree(root);
        SetEnvironmentVariableW(L"VORLEN_BACKUPS", root.c_str());
        ok({L"create", path});
        ok({L"add", path, L"--title", L"Projects"});
        ok({L"add", path, L"--parent", L"1", L"--title", L"Vorlen"});
        ok({L"add", path, L"--title", L"Ideas"});
    }
    void TearDown() override {
        DeleteFileW(path.c_str());
        DeleteFileW(source.c_str());
        RemoveFolderTree(root);
    }

    std::string ok(std::vector<std::wstring> arguments) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(0u, run.exitCode) << run.err;
        EXPECT_EQ("", run.err);
        return run.out;
    }
    // The listing of backups: each line path, local date and time, cards.
    std::vector<std::vector<std::string>> listed() {
        std::vector<std::vector<std::string>> rows;
        for (const std::string& line : lines(ok({L"backups", path}))) rows.push_back(fields(line));
        return rows;
    }

    std::wstring path;
    std::wstring source;
    std::wstring root;
};

TEST_F(CompanionBackups, EachCommandThatRemovesMuchBacksUpFirst) {
    ok({L"create", source});
    ok({L"add", source, L"--title", L"Elsewhere"});
    struct Step {
        std::vector<std::wstring> command;
        size_t backupsAfter;
        const char* cardsInNewest;
    };
    const Step steps[] = {
        {{L"delete", path, L"2"}, 0, nullptr},  // no card below it: no backup
        {{L"add", path, L"--parent", L"1", L"--title", L"Again"}, 0, nullptr},
        {{L"delete", path, L"1"}, 1, "3"},
        {{L"import", path, source}, 2, "1"},
        {{L"delete-all", path}, 3, "3"},
    };
    for (const Step& step : steps) {
        ok(step.command);
        const auto rows = listed();
        ASSERT_EQ(step.backupsAfter, rows.size()) << utf8(step.command[0]);
        if (step.cardsInNewest) {
            ASSERT_EQ(3u, rows[0].size());
            EXPECT_EQ(step.cardsInNewest, rows[0][2]) << utf8(step.command[0]);
        }
    }
}

TEST_F(CompanionBackups, ABackupThatCannotBeMadeRefusesTheCommandUnlessToldOtherwise) {
    // A folder cannot be made below a file.
    const std::wstring blocked = path + L"\\backups";
    SetEnvironmentVariableW(L"VORLEN_BACKUPS", blocked.c_str());
    const CliRun refused = runCli({L"delete-all", path});
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("No backup of")) << refused.err;
    EXPECT_NE(std::string::npos, refused.err.find("--no-backup")) << refused.err;
    EXPECT_EQ("1\tProjects\n  2\tVorlen\n3\tIdeas\n", ok({L"tree", path}));

    ok({L"--no-backup", L"delete-all", path});
    EXPECT_EQ("", ok({L"tree", path}));
}

TEST_F(CompanionBackups, RestoreBringsABackupBackAfterBackingUpTheFileAsItIs) {
    const std::string made = ok({L"backup", path});
    ASSERT_FALSE(made.empty());
    const std::string backupPath = made.substr(0, made.size() - 1);
    EXPECT_EQ(0u, backupPath.find(utf8(root))) << backupPath;

    ok({L"--no-backup", L"delete-all", path});
    ok({L"add", path, L"--title", L"After"});
    auto rows = listed();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(backupPath, rows[0][0]);
    EXPECT_EQ(19u, rows[0][1].size()) << rows[0][1];  // yyyy-mm-dd hh:mm:ss
    EXPECT_EQ("3", rows[0][2]);

    std::vector<wchar_t> wideBackup(backupPath.size() + 1);
    MultiByteToWideChar(CP_UTF8, 0, backupPath.c_str(), -1, wideBackup.data(), static_cast<int>(wideBackup.size()));
    ok({L"restore", path, wideBackup.data()});
    EXPECT_EQ("1\tProjects\n  2\tVorlen\n3\tIdeas\n", ok({L"tree", path}));
    // The state the restore replaced was kept first, newest in the list.
    rows = listed();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("1", rows[0][2]);
    EXPECT_EQ(backupPath, rows[1][0]);

    const CliRun missing = runCli({L"restore", path, path + L"-nowhere.data"});
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_EQ(2u, listed().size());
}

}  // namespace
