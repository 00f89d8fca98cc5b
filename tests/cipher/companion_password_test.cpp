// The companion's passwords: --password-stdin for every command, and the
// password set, change and remove commands, run as separate processes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "companion_runner.h"
#include "reference_cipher.h"
#include "test_support.h"

namespace {

class CompanionPassword : public testing::Test {
protected:
    void SetUp() override {
        ok({L"create", path});
        ok({L"add", path, L"--title", L"Projects"});
        ok({L"add", path, L"--parent", L"1", L"--title", L"Karte \u00fcber alles"});
        ok({L"add", path, L"--title", L"Ideas"});
        tree = ok({L"tree", path});
    }

    std::string ok(const std::vector<std::wstring>& arguments, const std::string& input = "") {
        const CompanionRun run = runCompanion(arguments, input);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        return run.out;
    }

    // A refused command: its message, status 1, and the file as it was.
    void refused(const std::vector<std::wstring>& arguments, const std::string& input, const std::string& message) {
        const Bytes before = readFileBytes(path);
        const CompanionRun run = runCompanion(arguments, input);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.err, message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(readFileBytes(path), before);
    }

    // A damaged or foreign file reads like a wrong password, so the message says both.
    std::string wrongPassword() const {
        return "Cannot open \"" + utf8(path) + "\": it is not a card database, or the password is wrong.";
    }

    std::string firstBytes() const {
        const Bytes bytes = readFileBytes(path);
        return std::string(bytes.begin(), bytes.begin() + 6);
    }

    void setPassword(const std::string& password) { ok({L"password", L"set", path}, password + "\n"); }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    std::string tree;
};

// What another implementation of the cipher would make of the companion's
// file in the format older versions read: page by page, an ordinary SQLite
// database with the same cards.
TEST_F(CompanionPassword, ItsCompatibleFileDeciphersPageByPageIntoTheSameCards) {
    ok({L"password", L"set", path, L"--compatible"}, utf8(L"p\u00e4ssw\u00f6rd") + "\n");
    EXPECT_EQ(ok({L"info", path}), "format: format 1\npage size: 4096\n");
    ASSERT_NE(firstBytes(), "SQLite");
    Bytes bytes = readFileBytes(path);
    reference::decipherFile(bytes, L"p\u00e4ssw\u00f6rd");
    const std::wstring plain = scratch.path(L"plain.data");
    writeFileBytes(plain, bytes);

    Connection db(plain, nullptr, "win32", SQLITE_OPEN_READWRITE);
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.text("select group_concat(title, '|') from tab"), utf8(L"Projects|Karte \u00fcber alles|Ideas"));
    EXPECT_EQ(ok({L"tree", plain}), tree);
}

TEST_F(CompanionPassword, OpensAFileEncipheredByAnotherImplementation) {
    Bytes bytes = readFileBytes(path);
    reference::encipherFile(bytes, L"their password");
    writeFileBytes(path, bytes);
    EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "their password\r\n"), tree);
    EXPECT_EQ(ok({L"--password-stdin", L"add", path, L"--title", L"Fourth"}, "their password\n"), "4\n");
    EXPECT_EQ(ok({L"--password-stdin", L"search", path, L"Fourth"}, "their password"), "4\tFourth\n");
}

TEST_F(CompanionPassword, EveryCommandNeedsThePassword) {
    setPassword("Secret12");
    const Bytes enciphered = readFileBytes(path);
    EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "Secret12\n"), tree);
    // Looking at the cards writes nothing.
    EXPECT_EQ(readFileBytes(path), enciphered);
    refused({L"tree", path}, "", wrongPassword());
    refused({L"--password-stdin", L"tree", path}, "secret12\n", wrongPassword());
    refused({L"--password-stdin", L"rename", path, L"1", L"x"}, "\n", wrongPassword());
    refused({L"--password-stdin", L"tree", path}, "", wrongPassword());
}

TEST_F(CompanionPassword, ChangeAndRemove) {
    setPassword("Secret12");
    ok({L"password", L"change", path}, "Secret12\nnew one\n");
    refused({L"--password-stdin", L"tree", path}, "Secret12\n", wrongPassword());
    EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "new one\n"), tree);

    EXPECT_EQ(ok({L"password", L"remove", path}, "new one\n"), "Password removed!\n");
    EXPECT_EQ(firstBytes(), "SQLite");
    EXPECT_EQ(ok({L"tree", path}), tree);
}

TEST_F(CompanionPassword, ChecksThePasswordsInTheProgramsOrder) {
    struct Case {
        const char* name;
        bool enciphered;
        const wchar_t* action;
        const char* input;
        const char* message;
    };
    const Case cases[] = {
        {"set twice", true, L"set", "another\n", "Database already encrypted!"},
        {"set empty", false, L"set", "\n", "You must set a nonempty password!"},
        {"set nothing", false, L"set", "", "You must set a nonempty password!"},
        {"change plain", false, L"change", "a\nb\n", "Database not encrypted!"},
        {"change wrong old", true, L"change", "wrong\nSecret12\n", "Old password don`t match!"},
        {"change empty old", true, L"change", "\nb\n", "Old password don`t match!"},
        {"change to the same", true, L"change", "Secret12\nSecret12\n", "New password is same as the old one!"},
        {"change to empty", true, L"change", "Secret12\n\n", "You must set a nonempty password!"},
        {"remove plain", false, L"remove", "x\n", "Database not encrypted!"},
        {"remove wrong", true, L"remove", "wrong\n", nullptr},
    };
    const Bytes plain = readFileBytes(path);
    setPassword("Secret12");
    const Bytes enciphered = readFileBytes(path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(path, c.enciphered ? enciphered : plain);
        refused({L"password", c.action, path}, c.input, c.message ? c.message : wrongPassword());
    }
}

// The pages a format 2 file's header counts are the database; bytes or
// pages appended after them neither keep it from opening nor from taking a
// new password, which leaves the file at its counted pages.
TEST_F(CompanionPassword, BytesAppendedToAFileAreNoPartOfIt) {
    setPassword("Secret12");
    const Bytes enciphered = readFileBytes(path);
    for (size_t appended : {size_t(100), size_t(2 * 4096)}) {
        SCOPED_TRACE(std::to_string(appended) + " bytes appended");
        Bytes longer = enciphered;
        for (size_t i = 0; i < appended; ++i) longer.push_back(uint8_t(i * 131 + 7));
        writeFileBytes(path, longer);
        EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "Secret12\n"), tree);
        EXPECT_EQ(ok({L"--password-stdin", L"add", path, L"--title", L"Fifth"}, "Secret12\n"), "4\n");
        ok({L"password", L"change", path}, "Secret12\nnew one\n");
        EXPECT_EQ(readFileBytes(path).size() % 4096, 0u);
        EXPECT_EQ(ok({L"--password-stdin", L"tree", path}, "new one\n"), tree + "4\tFifth\n");
        Connection db(path, L"new one", nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
        EXPECT_EQ(db.number("PRAGMA page_count") * 4096, int64_t(readFileBytes(path).size()));
    }
}

// Files that hold no card database are called so, not given a format or
// told they have a password already.
TEST_F(CompanionPassword, WhatIsNoCardDatabaseIsCalledSo) {
    Bytes text;
    for (const char c : std::string("These are notes, not cards.\r\n")) text.push_back(uint8_t(c));
    Bytes damagedHeader = readFileBytes(path);
    damagedHeader[16] = 0xEC;  // page size 60610
    damagedHeader[17] = 0xC2;
    Bytes random(3 * 4096 + 17);
    for (size_t i = 0; i < random.size(); ++i) random[i] = uint8_t((i * 2654435761u) >> 13);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"text", text},
        {"zeros", Bytes(2 * 4096, 0)},
        {"random bytes", random},
        {"a damaged header", damagedHeader},
        {"an empty file", Bytes()},
    };
    const std::string message = "Cannot open \"" + utf8(path) + "\": it is not a card database.";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(path, c.bytes);
        refused({L"info", path}, "", message);
        refused({L"password", L"set", path}, "Secret12\n", message);
    }
}

TEST_F(CompanionPassword, PasswordsNeverOnTheCommandLine) {
    const CompanionRun run = runCompanion({L"--password-stdin", L"password", L"set", path}, "a\nb\n");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(runCompanion({L"password", L"lock", path}, "a\n").exitCode, 2u);
    EXPECT_EQ(runCompanion({L"password", L"set", path, L"Secret12"}).exitCode, 2u);
    EXPECT_EQ(firstBytes(), "SQLite");
}

}  // namespace
