// Importing one card database into another: the tree shape whatever the
// order of the ids, nothing dropped, all or nothing, the same file however
// it is spelled.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "core/qerror.h"
#include "store/card_import.h"
#include "store/card_operations.h"
#include "store/transaction.h"
#include "test_database.h"

using kiln::qstd::QError;

namespace {

struct SourceRow {
    int id;
    const wchar_t* title;
    int parent;
};

std::vector<unsigned char> fileBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.insert(bytes.end(), block, block + got);
    CloseHandle(file);
    return bytes;
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class CardImport : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        sourcePath = wide(path) + L"-source.data";
        DeleteFileW(sourcePath.c_str());
        createCards();
        insertRow(0, L"Old one", 0);
        insertRow(0, L"Old two", 1);
    }
    void TearDown() override {
        source.close();
        DeleteFileW(sourcePath.c_str());
        DeleteFileW((sourcePath + L"-journal").c_str());
        TestDatabaseFile::TearDown();
    }

    void makeSource(const std::vector<SourceRow>& rows) {
        store::createCardDatabase(source, sourcePath.c_str());
        Transaction transaction(source);
        CardStatement insert =
            source.prepare("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (?, ?, ?, 7, ?, ?)");
        for (const SourceRow& row : rows) {
            insert.bindId(1, row.id);
            insert.bindText(2, row.title);
            insert.bindId(3, row.parent);
            insert.bindText(4, std::wstring(L"text of ").append(row.title).c_str());
            insert.bindText(5, std::wstring(L"{\\rtf1 ").append(row.title).append(L"}").c_str());
            insert.step();
            sqlite3_reset(insert.getHandle());
        }
        insert.finalize();
        transaction.commit();
    }

    // Every card of the target below the "Import" card as "title<parent's
    // title", ordered by title.
    std::string importedShape(int importId) {
        std::map<int, std::wstring> titles;
        std::map<int, int> parents;
        CardStatement all = database.prepare("SELECT id, title, parent FROM tab");
        while (all.step() == SQLITE_ROW) {
            titles[all.getInt(0)] = wide(all.getText(1));
            parents[all.getInt(0)] = all.getInt(2);
        }
        std::map<std::wstring, std::wstring> shape;
        for (const auto& card : titles) {
            // Bounded, so that a copied cycle fails the test instead of hanging it.
            int above = card.first;
            for (size_t steps = 0; steps <= titles.size() && above != importId && parents.count(above); ++steps) {
                above = parents[above];
            }
            if (above != importId || card.first == importId) continue;
            shape[card.second] = titles[parents[card.first]];
        }
        std::string text;
        for (const auto& entry : shape) {
            if (!text.empty()) text += ' ';
            text += std::string(entry.first.begin(), entry.first.end()) + "<" +
                    std::string(entry.second.begin(), entry.second.end());
        }
        return text;
    }

    std::wstring sourcePath;
    CardDatabase source;
};

// "title@depth" in the order the window is to add the tree items.
std::string placement(const CardTree& tree) {
    std::string text;
    for (unsigned i = 0; i < tree.getCount(); ++i) {
        const std::wstring title = wide(tree.getCard(i).title);
        if (!text.empty()) text += ' ';
        text += std::string(title.begin(), title.end()) + "@" + std::to_string(tree.getDepth(i));
    }
    return text;
}

struct ShapeCase {
    const char* name;
    std::vector<SourceRow> rows;
    const char* shape;
    const char* placement;
};

TEST_F(CardImport, EveryCardArrivesInItsPlaceWhateverTheOrderOfIds) {
    const ShapeCase cases[] = {
        {"children made after their parents",
         {{1, L"A", 0}, {2, L"B", 1}, {3, L"C", 2}, {4, L"D", 0}},
         "A<Import B<A C<B D<Import",
         "Import@0 A@1 B@2 C@3 D@1"},
        {"parents after their children",
         {{1, L"C", 3}, {2, L"D", 3}, {3, L"B", 5}, {5, L"A", 0}},
         "A<Import B<A C<B D<B",
         "Import@0 A@1 B@2 C@3 D@3"},
        {"an orphan and its child",
         {{1, L"A", 0}, {2, L"B", 99}, {3, L"C", 2}},
         "A<Import B<Import C<B",
         "Import@0 A@1 B@1 C@2"},
        {"a cycle with a card below it, cut above its lowest id",
         {{1, L"A", 2}, {2, L"B", 3}, {3, L"C", 1}, {4, L"D", 3}, {5, L"E", 0}},
         "A<Import B<C C<A D<C E<Import",
         "Import@0 A@1 C@2 B@3 D@3 E@1"},
        {"a card that is its own parent",
         {{4, L"A", 4}, {6, L"B", 4}},
         "A<Import B<A",
         "Import@0 A@1 B@2"},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        database.close();
        createCards();
        insertRow(0, L"Old one", 0);
        makeSource(c.rows);

        const store::ImportResult result = store::importCardDatabase(database, source, nullptr);

        ASSERT_TRUE(result.completed);
        EXPECT_EQ(c.shape, importedShape(result.importId));
        EXPECT_EQ(c.placement, placement(result.cards));
        source.close();
    }
}

// A long chain whose every parent comes after its child, and one long cycle:
// linear work (no search per card, a cycle entered once) keeps these quick.
TEST_F(CardImport, LongReversedChainAndLongCycleKeepTheirShape) {
    const int count = 20000;
    std::vector<std::wstring> titles(count + 1);
    std::vector<SourceRow> chain;
    for (int id = 1; id <= count; ++id) {
        titles[id] = L"c" + std::to_wstring(id);
        chain.push_back({id, titles[id].c_str(), id == count ? 0 : id + 1});
    }
    makeSource(chain);
    store::ImportResult result = store::importCardDatabase(database, source, nullptr);
    ASSERT_EQ(static_cast<unsigned>(count) + 1, result.cards.getCount());
    EXPECT_EQ(L"c1", wide(result.cards.getCard(count).title));
    EXPECT_EQ(count, result.cards.getDepth(count));

    source.close();
    chain.back().parent = 1;
    makeSource(chain);
    result = store::importCardDatabase(database, source, nullptr);
    ASSERT_EQ(static_cast<unsigned>(count) + 1, result.cards.getCount());
    // Cut above c1: c1 under "Import", c20000 under c1, down to c2.
    EXPECT_EQ(L"c1", wide(result.cards.getCard(1).title));
    EXPECT_EQ(L"c2", wide(result.cards.getCard(count).title));
    EXPECT_EQ(count, result.cards.getDepth(count));
}

TEST_F(CardImport, CopiesKeepTheirContentAndTheTargetsCardsStay) {
    makeSource({{1, L"A", 0}, {2, L"B", 1}});
    // RTF that is not text: bytes above 0x7F and a zero byte.
    const unsigned char rtf[] = {'{', 0xE9, 0x00, 0xFF, '}'};
    CardStatement blob = source.prepare("UPDATE tab SET rtf = ? WHERE id = 2");
    sqlite3_bind_blob(blob.getHandle(), 1, rtf, sizeof rtf, SQLITE_STATIC);
    blob.step();
    blob.finalize();
    source.execute("UPDATE tab SET title = NULL, txt = 'Gr\xC3\xBC\xC3\x9F' || char(0x1F600) WHERE id = 1");
    source.execute("INSERT INTO tab (id, title, parent) VALUES (7, 'C', 1)");

    std::vector<store::ImportProgress> reports;
    const store::ImportResult result = store::importCardDatabase(database, source, [&](const store::ImportProgress& p) {
        reports.push_back(p);
        return true;
    });

    ASSERT_TRUE(result.completed);
    EXPECT_EQ(3, result.importId) << "after the target's own cards";
    EXPECT_EQ(L"Old one", queryText(database, "SELECT title FROM tab WHERE id = 1"));
    EXPECT_EQ(1, queryInt(database, "SELECT parent FROM tab WHERE id = 2"));
    EXPECT_EQ(1, queryInt(database, "SELECT count(*) FROM tab WHERE id = 3 AND title = 'Import' AND parent = 0 "
                                    "AND position = '' AND txt = '' AND rtf = 'Import'"));
    EXPECT_EQ(6, queryInt(database, "SELECT count(*) FROM tab"));

    // Each copy holds exactly what its card held, position aside.
    database.executeWithText("ATTACH ? AS src", sourcePath.c_str());
    EXPECT_EQ(3, queryInt(database,
                          "SELECT count(*) FROM tab c WHERE c.id > 3 AND c.position = '' AND EXISTS ("
                          "SELECT 1 FROM src.tab s WHERE s.title IS c.title AND s.txt IS c.txt AND s.rtf IS c.rtf "
                          "AND typeof(s.rtf) = typeof(c.rtf))"));
    database.execute("DETACH src");

    ASSERT_FALSE(reports.empty());
    for (size_t i = 1; i < reports.size(); ++i) {
        EXPECT_LE(reports[i - 1].copied, reports[i].copied);
        EXPECT_LE(reports[i - 1].permille, reports[i].permille);
    }
    EXPECT_EQ(3u, reports.back().copied);
    EXPECT_EQ(1000u, reports.back().permille);

    // The next card the user adds gets an id of its own.
    EXPECT_EQ(7, store::addCard(database, 0));
}

// Each way an import can end early, a third of the way through a source big
// enough that the engine has to write changed pages into the target file
// before the end: afterwards the file holds exactly its old bytes.
TEST_F(CardImport, AnImportThatEndsEarlyLeavesTheTargetByteForByte) {
    struct FaultCase {
        const char* name;
        const char* targetSetup;
        bool cancel;
        bool throwQError;
    };
    const FaultCase cases[] = {
        {"a failing insert", "CREATE TRIGGER refuse BEFORE INSERT ON tab WHEN new.title = 'card 90' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END",
         false, false},
        {"a full disk", nullptr, false, false},
        {"an error from the progress report", nullptr, false, true},
        {"a cancel", nullptr, true, false},
    };
    std::vector<std::wstring> titles;
    std::vector<SourceRow> rows;
    for (int id = 1; id <= 300; ++id) titles.push_back(L"card " + std::to_wstring(id));
    for (int id = 1; id <= 300; ++id) rows.push_back({id, titles[id - 1].c_str(), id > 1 ? id / 2 : 0});
    makeSource(rows);
    source.execute("UPDATE tab SET txt = printf('%.2000c', '*')");

    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        database.close();
        createCards();
        insertRow(0, L"Old one", 0);
        if (c.targetSetup) database.execute(c.targetSetup);
        const std::vector<unsigned char> before = fileBytes(wide(path));
        database.execute("PRAGMA cache_size = 8");
        if (!c.targetSetup && !c.cancel && !c.throwQError) {
            database.execute(("PRAGMA max_page_count = " + std::to_string(before.size() / 4096 + 120)).c_str());
        }

        bool failed = false;
        try {
            const store::ImportResult result =
                store::importCardDatabase(database, source, [&](const store::ImportProgress& p) {
                    if (p.copied < 100) return true;
                    if (c.throwQError) throw QError(L"progress failed");
                    return !c.cancel;
                });
            EXPECT_FALSE(result.completed);
            EXPECT_EQ(0, result.importId);
        } catch (const QError&) {
            failed = true;
        }
        EXPECT_EQ(!c.cancel, failed);
        EXPECT_TRUE(sqlite3_get_autocommit(database.getConnection())) << "transaction left open";
        EXPECT_FALSE(exists(wide(path) + L"-journal"));
        EXPECT_TRUE(before == fileBytes(wide(path))) << "target changed";
        EXPECT_EQ(1, queryInt(database, "SELECT count(*) FROM tab"));
    }
}

TEST_F(CardImport, AnEncipheredSourceImportsOnceKeyed) {
    makeSource({{1, L"A", 2}, {2, L"B", 0}});
    ASSERT_TRUE(source.changeKey(L"Secret12"));
    source.close();

    source.openFile(sourcePath.c_str());
    EXPECT_THROW(store::importCardDatabase(database, source, nullptr), QError) << "read without its key";
    EXPECT_EQ(2, queryInt(database, "SELECT count(*) FROM tab"));

    source.openFile(sourcePath.c_str());
    ASSERT_TRUE(source.applyKey(L"Secret12"));
    const store::ImportResult result = store::importCardDatabase(database, source, nullptr);
    EXPECT_EQ("A<B B<Import", importedShape(result.importId));
    EXPECT_EQ(L"text of A", queryText(database, "SELECT txt FROM tab WHERE title = 'A'"));
}

// Spellings of one file that differ as text.
std::vector<std::wstring> spellingsOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash);
    const std::wstring name = path.substr(slash + 1);
    const std::wstring lastFolder = folder.substr(folder.find_last_of(L'\\') + 1);
    std::wstring upper = path;
    CharUpperW(&upper[0]);
    std::wstring forward = path;
    for (wchar_t& c : forward) {
        if (c == L'\\') c = L'/';
    }
    wchar_t shortName[MAX_PATH];
    const DWORD shortLength = GetShortPathNameW(path.c_str(), shortName, MAX_PATH);
    std::vector<std::wstring> spellings = {
        upper, forward, folder + L"\\.\\" + name, folder + L"\\..\\" + lastFolder + L"\\" + name,
        L"\\\\?\\" + path,
    };
    if (shortLength > 0 && shortLength < MAX_PATH) spellings.push_back(shortName);
    return spellings;
}

TEST_F(CardImport, TheSameFileIsRefusedHoweverItIsSpelled) {
    database.close();
    const std::wstring target = wide(path);
    const std::wstring link = target + L"-link.data";
    DeleteFileW(link.c_str());
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), target.c_str(), nullptr));
    std::vector<std::wstring> spellings = spellingsOf(target);
    spellings.push_back(link);
    const std::vector<unsigned char> before = fileBytes(target);

    for (const std::wstring& spelling : spellings) {
        SCOPED_TRACE(std::string(spelling.begin(), spelling.end()));
        ASSERT_NE(target, spelling);
        EXPECT_TRUE(store::isSameFile(path, spelling.c_str()));
        database.openFile(path);
        source.openFile(spelling.c_str());
        try {
            store::importCardDatabase(database, source, nullptr);
            ADD_FAILURE() << "imported a database into itself";
        } catch (const QError& error) {
            EXPECT_EQ(std::wstring(store::kSameDatabaseMessage), wide(error.message));
        }
        source.close();
        database.close();
    }
    EXPECT_TRUE(before == fileBytes(target));
    DeleteFileW(link.c_str());

    ASSERT_TRUE(CopyFileW(target.c_str(), sourcePath.c_str(), FALSE));
    EXPECT_FALSE(store::isSameFile(path, sourcePath.c_str())) << "a copy is another file";
    EXPECT_FALSE(store::isSameFile(path, (sourcePath + L"-missing").c_str()));
}

}  // namespace
