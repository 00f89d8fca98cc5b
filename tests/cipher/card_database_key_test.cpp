#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/qerror.h"
#include "store/card_database.h"
#include "store/cipher/encrypted_file.h"
#include "store/cipher/rekey.h"
#include "test_support.h"

namespace {

using kiln::qstd::QError;
using kiln::qstd::QString;

class CardDatabaseKey : public testing::Test {
protected:
    // A new card database with two cards, as the program makes one.
    void SetUp() override {
        database.createFile(file);
        database.execute16(L"create table IF NOT EXISTS tab (id integer primary key autoincrement, title text, "
                           L"parent integer, position integer, txt text, rtf blob )");
        database.execute("INSERT INTO tab VALUES (NULL, 'first', 0, '', 'some text', 'rtf')");
        database.execute("INSERT INTO tab VALUES (NULL, 'second', 1, '', 'more text', 'rtf')");
    }

    void reopen(const wchar_t* password) {
        database.openFile(file);
        if (password) database.applyKey(password);
    }

    std::string titles() {
        sqlite3_stmt* statement = nullptr;
        std::string result;
        if (sqlite3_prepare_v2(database.getConnection(), "select group_concat(title) from tab", -1, &statement,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
        return result;
    }

    Bytes header() {
        const Bytes bytes = readFileBytes(path);
        return Bytes(bytes.begin(), bytes.begin() + 100);
    }

    static std::string mark(const Bytes& header) { return std::string(header.begin() + 68, header.begin() + 72); }

    std::string markUnder(const wchar_t* password) {
        Connection db(path, password, nullptr, SQLITE_OPEN_READONLY);
        const int64_t id = db.number("PRAGMA application_id");
        const char bytes[4] = {char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
        return std::string(bytes, 4);
    }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    const QString file = QString(path.c_str());
    CardDatabase database;
};

TEST_F(CardDatabaseKey, SetOpenChangeAndRemoveAPasswordInEitherFormat) {
    EXPECT_EQ(mark(header()), "KRDB");
    database.close();
    const Bytes plainFile = readFileBytes(path);
    for (CipherFormat format : {CipherFormat::format1, CipherFormat::format2}) {
        SCOPED_TRACE(formatName(format));
        writeFileBytes(path, plainFile);
        reopen(nullptr);
        EXPECT_EQ(database.keyFormat(), CipherFormat::plain);
        EXPECT_TRUE(database.changeKey(L"Secret12", format));
        EXPECT_EQ(database.keyFormat(), format);
        EXPECT_EQ(titles(), "first,second");
        EXPECT_EQ(fileCipherFormat(file), format);
        database.close();

        reopen(L"Secret12");
        EXPECT_EQ(titles(), "first,second");
        EXPECT_EQ(database.keyFormat(), format);
        // Opening with the password marks the file, inside its enciphered header.
        EXPECT_NE(mark(header()), "BeDb");
        EXPECT_EQ(markUnder(L"Secret12"), "BeDb");

        EXPECT_TRUE(database.changeKey(L"s", format));
        database.close();
        reopen(L"s");
        EXPECT_EQ(titles(), "first,second");

        EXPECT_TRUE(database.changeKey(L""));
        EXPECT_EQ(database.keyFormat(), CipherFormat::plain);
        EXPECT_FALSE(isEncryptedFile(file));
        database.close();
        reopen(nullptr);
        EXPECT_EQ(titles(), "first,second");
        // Removing the password leaves the mark of the last keyed opening.
        EXPECT_EQ(mark(header()), "BeDb");
        database.close();
    }
}

TEST_F(CardDatabaseKey, WrongOrEmptyPasswordIsInvalidAndTouchesNothing) {
    database.changeKey(L"Secret12");
    database.close();
    const Bytes before = readFileBytes(path);
    // (Not "Secret13": of a 16-byte key the cipher reads only bytes 0-3, so
    // every 8-character password that begins "Se" opens this file.)
    for (const wchar_t* password : {L"secret12", L"Secret1", L""}) {
        database.openFile(file);
        try {
            database.applyKey(password);
            ADD_FAILURE() << "accepted a wrong password";
        } catch (const QError& error) {
            EXPECT_STREQ(error.message.c_str(), L"Invalid password!");
            EXPECT_EQ(error.code, 0);
        }
        database.close();
    }
    EXPECT_EQ(readFileBytes(path), before);
}

TEST_F(CardDatabaseKey, EmptyPasswordOnAPlainDatabaseDoesNothing) {
    database.close();
    const Bytes before = readFileBytes(path);
    database.openFile(file);
    EXPECT_TRUE(database.changeKey(L""));
    database.close();
    EXPECT_EQ(readFileBytes(path), before);
}

TEST_F(CardDatabaseKey, AFailedChangeKeepsTheConnection) {
    CardStatement pending = database.prepare("select id from tab");
    pending.step();
    try {
        database.changeKey(L"Secret12");
        ADD_FAILURE() << "rekeyed under a running statement";
    } catch (const QError& error) {
        EXPECT_STREQ(error.message.c_str(), L"Rekey error!");
        EXPECT_EQ(error.code, 1);
    }
    EXPECT_FALSE(isEncryptedFile(file));
    EXPECT_EQ(titles(), "first,second");
}

// Another program changing the file under an open connection: a lock held
// past the wait is "busy", a password changed meanwhile is said to be, not
// "file is not a database".
TEST_F(CardDatabaseKey, AnotherProgramsRekeyIsToldAsWhatItIs) {
    database.changeKey(L"Secret12");
    database.close();
    reopen(L"Secret12");
    ASSERT_EQ(titles(), "first,second");
    sqlite3_busy_timeout(database.getConnection(), 200);
    {
        Connection other(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
        ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK) << other.error();
        try {
            database.execute("UPDATE tab SET title = 'waited' WHERE id = 1");
            ADD_FAILURE() << "wrote through another program's lock";
        } catch (const QError& error) {
            EXPECT_EQ(error.code & 0xFF, SQLITE_BUSY);
            EXPECT_STREQ(error.message.c_str(), L"The file is busy: another program is using it (changing its "
                                                L"password, perhaps). Try again in a moment.");
        }
        ASSERT_EQ(other.exec("ROLLBACK"), SQLITE_OK);
        sqlite3*& handle = other.handle();
        rekeyDatabase(handle, keyOf(L"changed", CipherFormat::format2));
    }
    for (const char* sql : {"UPDATE tab SET title = 'stale' WHERE id = 1", "SELECT count(*) FROM tab"}) {
        try {
            database.execute(sql);
            ADD_FAILURE() << sql << " ran under the old password";
        } catch (const QError& error) {
            EXPECT_STREQ(error.message.c_str(), L"The file was changed by another program while it was open here: "
                                                L"its password was set, changed or removed. Open it again.")
                << sql;
        }
    }
    database.close();
    reopen(L"changed");
    EXPECT_EQ(titles(), "first,second");
}

}  // namespace
