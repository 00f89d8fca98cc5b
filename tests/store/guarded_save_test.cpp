// Saves that never overwrite what they did not see, and the look at the
// file's change counter, with a second connection as the other writer.

#include <gtest/gtest.h>

#include <string>

#include "store/card_operations.h"
#include "store/guarded_save.h"
#include "test_database.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace {

QBuffer bytes(const char* text) {
    QBuffer buffer;
    buffer.Append(reinterpret_cast<const unsigned char*>(text), static_cast<unsigned>(strlen(text)));
    return buffer;
}

std::string stored(CardDatabase& database, CardId id) {
    const QBuffer rtf = store::loadCardContent(database, id);
    return std::string(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount());
}

const SYSTEMTIME kWhen = {2026, 12, 5, 11, 9, 7, 5, 0};

class GuardedSaveTest : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
        parent = insertRow(0, L"Parent", 0);
        card = insertRow(0, L"Card", parent);
        database.saveCardContent(L"loaded", bytes("{\\rtf1 loaded}"), card);
        loaded = store::readStoredCard(database, card).version;
        other.openFile(path);
    }
    void TearDown() override {
        other.close();
        TestDatabaseFile::TearDown();
    }

    store::GuardedSave save() {
        return store::saveUnlessChangedElsewhere(database, card, loaded, L"Card", L"mine", bytes("{\\rtf1 mine}"),
                                                 kWhen);
    }

    CardDatabase other;
    CardId parent = 0;
    CardId card = 0;
    store::ContentVersion loaded = 0;
};

TEST_F(GuardedSaveTest, ACardNobodyElseChangedIsWrittenInPlace) {
    // A rename elsewhere leaves the content as the page saw it: no conflict.
    store::renameCard(other, card, L"Renamed");
    const store::GuardedSave saved = save();
    EXPECT_FALSE(saved.conflict);
    EXPECT_EQ(saved.cardId, card);
    EXPECT_EQ(stored(database, card), "{\\rtf1 mine}");
    EXPECT_EQ(saved.version, store::readStoredCard(database, card).version);
    EXPECT_EQ(queryInt(database, "select count(*) from tab"), 2);
}

// What another writer did meanwhile, and where the page's version must go.
TEST_F(GuardedSaveTest, AnotherWritersChangeKeepsBothVersions) {
    struct Case {
        const char* name;
        void (*change)(CardDatabase& other, CardId card);
        bool cardWasGone;
        // Whether the card of this id still holds the other writer's words.
        const char* left;
    };
    const Case cases[] = {
        {"changed", [](CardDatabase& o, CardId c) { o.saveCardContent(L"theirs", bytes("{\\rtf1 theirs}"), c); },
         false, "{\\rtf1 theirs}"},
        {"deleted", [](CardDatabase& o, CardId c) { store::deleteCard(o, c); }, true, nullptr},
        // Delete all forgets the ids: the next card takes the page's id.
        {"id taken after delete all",
         [](CardDatabase& o, CardId) {
             store::deleteAllCards(o);
             store::addCard(o, 0, L"Stranger", L"stranger", bytes("{\\rtf1 stranger}"));
             store::addCard(o, 0, L"Stranger 2", L"stranger", bytes("{\\rtf1 stranger 2}"));
         },
         false, "{\\rtf1 stranger 2}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.change(other, card);
        const store::GuardedSave saved = save();
        EXPECT_TRUE(saved.conflict);
        EXPECT_EQ(saved.cardWasGone, c.cardWasGone);
        EXPECT_NE(saved.cardId, card);
        EXPECT_EQ(wide(saved.title), L"Card (conflict 2026-12-11 09:07:05)");
        EXPECT_EQ(stored(database, saved.cardId), "{\\rtf1 mine}");
        EXPECT_EQ(wide(store::loadCardText(database, saved.cardId)), L"mine");
        if (c.left) {
            EXPECT_EQ(stored(database, card), c.left);
        } else {
            EXPECT_FALSE(store::cardExists(database, card));
        }
        CardStatement row = database.prepareWithId("select title, parent from tab where id = ?", saved.cardId);
        ASSERT_EQ(row.step(), SQLITE_ROW);
        EXPECT_EQ(wide(row.getText(0)), L"Card (conflict 2026-12-11 09:07:05)");
        // Beside the card that changed; at the top when it is gone.
        EXPECT_EQ(row.getId(1), std::string(c.name) == "changed" ? parent : 0);
    }
}

TEST_F(GuardedSaveTest, TheChangeWatchSeesOtherConnectionsOnlyAndOnce) {
    store::FileChangeWatch watch;
    watch.reset(database);
    EXPECT_FALSE(watch.changed(database));
    database.saveCardContent(L"own", bytes("{\\rtf1 own}"), card);
    EXPECT_FALSE(watch.changed(database)) << "the connection's own write counted as another's";
    store::renameCard(other, card, L"Elsewhere");
    EXPECT_TRUE(watch.changed(database));
    EXPECT_FALSE(watch.changed(database));
    store::addCard(other, 0, L"New");
    EXPECT_TRUE(watch.changed(database));
}

}  // namespace
