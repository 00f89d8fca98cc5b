// The connection object: the file it creates, how it opens and replaces
// connections, how statements bind and read, and the errors it raises.
#include <windows.h>

#include "core/qerror.h"
#include "store/card_database.h"
#include "store/card_id.h"
#include "store/card_operations.h"
#include "test_database.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

void writeFile(const QString& path, const char* bytes, DWORD n) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bytes, n, &written, nullptr);
    CloseHandle(file);
}

std::string readFileStart(const QString& path, DWORD n) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    std::string bytes(n, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], n, &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

using CardDatabaseFile = TestDatabaseFile;

TEST_F(CardDatabaseFile, CreateReplacesAnExistingFileWithAnEmptyMarkedCardTable) {
    const char junk[] = "not a database, just some bytes that were here before";
    writeFile(path, junk, sizeof junk);

    createCards();

    EXPECT_EQ(0, queryInt(database, "SELECT count(*) FROM tab"));
    EXPECT_EQ(0x4B524442, queryInt(database, "PRAGMA application_id"));
    EXPECT_EQ(L"CREATE TABLE tab (id integer primary key autoincrement, title text, parent integer, "
              L"position integer, txt text, rtf blob )",
              queryText(database, "SELECT sql FROM sqlite_master WHERE name = 'tab'"));
    database.close();

    // The mark sits in the plain header, big-endian at offset 68: "KRDB".
    const std::string header = readFileStart(path, 100);
    ASSERT_EQ(100u, header.size());
    EXPECT_EQ(0, header.compare(0, 16, std::string("SQLite format 3\0", 16)));
    EXPECT_EQ("KRDB", header.substr(68, 4));
}

TEST_F(CardDatabaseFile, CreatesAndReopensUnderANonAsciiName) {
    path = tempPath(L"Kärtchen-卡片-store.data").c_str();
    createCards();
    insertRow(0, L"Überschrift", 0);
    database.close();

    ASSERT_TRUE(database.openFile(path));
    EXPECT_EQ(L"Überschrift", queryText(database, "SELECT title FROM tab"));
}

TEST_F(CardDatabaseFile, OpenSetsTheBusyTimeoutOfOneMinute) {
    createCards();
    database.close();
    database.openFile(path);
    EXPECT_EQ(60000, queryInt(database, "PRAGMA busy_timeout"));
}

TEST_F(CardDatabaseFile, FailedOpenKeepsThePreviousConnectionInstalled) {
    createCards();
    insertRow(0, L"still here", 0);
    sqlite3* before = database.getConnection();

    try {
        database.openFile(tempPath(L"vorlen-no-such-folder\\missing.data").c_str());
        FAIL() << "opening a missing file succeeded";
    } catch (const QError& error) {
        EXPECT_EQ(SQLITE_CANTOPEN, error.code & 0xFF);
        EXPECT_FALSE(error.message.IsEmpty());
    }
    EXPECT_EQ(before, database.getConnection());
    EXPECT_EQ(L"still here", queryText(database, "SELECT title FROM tab"));
}

TEST_F(CardDatabaseFile, OpeningAnotherFileClosesTheFirst) {
    createCards();
    const QString other = tempPath(L"vorlen-store-other.data").c_str();
    {
        CardDatabase second;
        store::createCardDatabase(second, other);
        second.execute("INSERT INTO tab (title) VALUES ('other file')");
    }

    database.openFile(other);
    EXPECT_EQ(L"other file", queryText(database, "SELECT title FROM tab"));
    // The engine opens files without delete sharing, so this succeeds only
    // once the first connection has let go of its file.
    EXPECT_TRUE(DeleteFileW(path));
    database.close();
    EXPECT_TRUE(DeleteFileW(other));
}

TEST_F(CardDatabaseFile, ErrorsCarryTheEngineMessageAndExtendedCode) {
    createCards();
    insertRow(7, L"seven", 0);

    struct Case {
        const char* what;
        void (*run)(CardDatabase&);
        int code;
        const wchar_t* message;
    } cases[] = {
        {"prepare", [](CardDatabase& db) { db.execute("SELECT * FROM nowhere"); }, SQLITE_ERROR,
         L"no such table: nowhere"},
        {"step with id", [](CardDatabase& db) { db.executeWithId("INSERT INTO tab (id) VALUES (?)", 7); },
         SQLITE_CONSTRAINT_PRIMARYKEY, L"UNIQUE constraint failed: tab.id"},
        {"bind", [](CardDatabase& db) { db.executeWithText("SELECT 1", L"no parameter"); }, SQLITE_RANGE,
         L"column index out of range"},
    };
    for (const Case& c : cases) {
        try {
            c.run(database);
            ADD_FAILURE() << c.what << " did not fail";
        } catch (const QError& error) {
            EXPECT_EQ(c.code, error.code) << c.what;
            EXPECT_EQ(std::wstring(c.message), wide(error.message)) << c.what;
        }
        // Every statement was finalized although the error passed.
        EXPECT_EQ(nullptr, sqlite3_next_stmt(database.getConnection(), nullptr)) << c.what;
    }
}

TEST_F(CardDatabaseFile, BindsTextAsTextBlobsAtExactLengthAndIdsWithoutSign) {
    createCards();
    const int id = insertRow(0, L"card", 0);

    const unsigned char bytes[] = {'{', '\\', 'r', 't', 'f', 0, 0xFF, 0, '}'};
    QBuffer rtf;
    rtf.Append(bytes, sizeof bytes);
    database.saveCardContent(L"Zeile — строка", rtf, id);

    EXPECT_EQ(L"Zeile — строка", queryText(database, "SELECT txt FROM tab"));
    EXPECT_EQ(L"blob", queryText(database, "SELECT typeof(rtf) FROM tab"));
    CardStatement load = database.prepareWithId("select rtf from tab where id = ?", id);
    ASSERT_EQ(SQLITE_ROW, load.step());
    const QBuffer loaded = load.getBuffer(0);
    ASSERT_EQ(sizeof bytes, loaded.GetCount());
    EXPECT_EQ(0, memcmp(bytes, loaded.GetData(), sizeof bytes));

    // Empty values stay values: the empty text and a zero-length blob, not NULL.
    database.saveCardContent(QString(), QBuffer(), id);
    EXPECT_EQ(L"text", queryText(database, "SELECT typeof(txt) FROM tab"));
    EXPECT_EQ(L"blob", queryText(database, "SELECT typeof(rtf) FROM tab"));
    EXPECT_EQ(0, queryInt(database, "SELECT length(rtf) FROM tab"));

    // The window's 32-bit values widen without sign; the file's ids pass whole.
    CardStatement widened = database.prepareWithId("SELECT ?", cardIdFromItemValue(0xFFFFFFFFu));
    ASSERT_EQ(SQLITE_ROW, widened.step());
    EXPECT_EQ(4294967295LL, widened.getInt64(0));
    CardStatement whole = database.prepareWithId("SELECT ?", 0x100000005LL);
    ASSERT_EQ(SQLITE_ROW, whole.step());
    EXPECT_EQ(4294967301LL, whole.getInt64(0));
}

// A tab still open on a card deleted meanwhile saves into an id no row has:
// the save must fail, not report success for edits that went nowhere.
TEST_F(CardDatabaseFile, SavingIntoAMissingCardFailsAndWritesNothing) {
    createCards();
    const int kept = insertRow(0, L"kept", 0);
    const int gone = insertRow(0, L"gone", 0);
    store::deleteCard(database, gone);

    QBuffer rtf;
    rtf.Append("{\\rtf1 x}", 9);
    try {
        database.saveCardContent(L"edits", rtf, gone);
        FAIL() << "a save into a deleted card reported success";
    } catch (const QError& error) {
        EXPECT_EQ(QString(L"The card was not saved: there is no card with the id ") + cardIdText(gone) + L".",
                  error.message);
    }
    EXPECT_EQ(1, queryInt(database, "SELECT count(*) FROM tab"));
    EXPECT_EQ(0, queryInt(database, "SELECT count(*) FROM tab WHERE txt = 'edits'"));
    // Saving the same content again into an existing card is still a success.
    database.saveCardContent(L"edits", rtf, kept);
    database.saveCardContent(L"edits", rtf, kept);
    EXPECT_EQ(L"edits", queryText(database, "SELECT txt FROM tab"));
}

TEST_F(CardDatabaseFile, CardStatementsOfTheStore) {
    createCards();
    QBuffer rtf;
    rtf.Append("{\\rtf1 x}", 8);
    CardStatement insert = database.prepareInsert(L"Imported", 5, L"plain", rtf);
    EXPECT_EQ(SQLITE_DONE, insert.step());
    const int id = database.lastInsertId();
    EXPECT_EQ(L"Imported|5||plain|8", queryText(database,
              "SELECT title || '|' || parent || '|' || position || '|' || txt || '|' || length(rtf) FROM tab"));

    // A statement stepped once may give a row; that counts as success too.
    EXPECT_NO_THROW(database.executeWithId("SELECT title FROM tab WHERE id = ?", id));
    database.rename(L"Renamed", id);
    database.prepareMove(9, id).step();
    EXPECT_EQ(L"Renamed|9", queryText(database, "SELECT title || '|' || parent FROM tab"));
}

// A rekey of earlier versions that was ended left its copy beside the file,
// after a password was removed with every card in plain.
TEST_F(CardDatabaseFile, OpeningRemovesWhatAnEndedRekeyLeftBeside) {
    createCards();
    database.close();
    const char plainCards[] = "SQLite format 3, the cards in plain";
    for (const wchar_t* suffix : {L"-rekey", L"-rekey-pages"}) writeFile(path + suffix, plainCards, sizeof plainCards);
    writeFile(path + L"-rekeyed notes", plainCards, sizeof plainCards);

    database.openFile(path);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L"-rekey").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L"-rekey-pages").c_str()));
    // Only those two names.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L"-rekeyed notes").c_str()));
    DeleteFileW((path + L"-rekeyed notes").c_str());
}

TEST(CardDatabaseClosed, StatementsWithoutAConnectionRaiseInsteadOfCrashing) {
    CardDatabase database;
    EXPECT_FALSE(database.isOpen());
    EXPECT_THROW(database.execute("SELECT 1"), QError);
    EXPECT_EQ(0, database.lastInsertId());
}

}  // namespace
