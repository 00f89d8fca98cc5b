// Import through the window: the copies arrive in the tree under "Import" as
// the file holds them, and a refused, cancelled or failed import leaves the
// target file, byte for byte, and the tree as they were.

#include <algorithm>
#include <fstream>
#include <iterator>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

using kiln::qstd::QObArray;

namespace apptest {
namespace {

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file << bytes;
}

// A source whose ids do not follow its shape: a child read before its
// parent, a grandchild below it, an orphan and a cycle of two.
class ShapedSource {
public:
    ShapedSource() : path(TempPath(L"vorlen-import-source.data")) {
        DeleteFileW(path.c_str());
        CardDatabase database;
        store::createCardDatabase(database, path.c_str());
        database.execute(
            "INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES "
            "(10, 'Child', 20, '', 'child text', '{\\rtf1 child text\\par}'),"
            "(20, 'Parent', 0, '', '', ''),"
            "(30, 'Orphan', 999, '', '', ''),"
            "(40, 'Cycle A', 50, '', '', ''),"
            "(50, 'Cycle B', 40, '', '', ''),"
            "(60, 'Grandchild', 10, '', '', '')");
    }
    ShapedSource(const ShapedSource&) = delete;
    ShapedSource& operator=(const ShapedSource&) = delete;
    ~ShapedSource() { DeleteFileW(path.c_str()); }

    std::wstring path;
};

void Encipher(const std::wstring& path, const wchar_t* password) {
    CardDatabase database;
    database.openFile(path.c_str());
    ASSERT_TRUE(database.changeKey(password));
}

// The items below item as "Title(children...)", children sorted by title;
// with ids, each title is followed by its card's id. Branches not read yet
// are opened, as a user would to see them.
std::wstring TreeShape(CardTreeView& tree, HTREEITEM item, bool withIds) {
    if (tree.LevelPending(item)) tree.Expand(item);
    std::vector<std::wstring> children;
    for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextItem(child)) {
        children.push_back(TreeShape(tree, child, withIds));
    }
    std::sort(children.begin(), children.end());
    std::wstring shape = item == TVI_ROOT ? L"" : tree.GetItemText(item).c_str();
    if (withIds && item != TVI_ROOT) shape += L"#" + std::to_wstring(tree.GetCardId(item));
    if (children.empty()) return shape;
    shape += L"(";
    for (size_t i = 0; i < children.size(); ++i) shape += (i ? L"," : L"") + children[i];
    return shape + L")";
}

// The same shape as the file holds it, read level by level from the card.
std::wstring StoredShape(CardDatabase& database, CardId id, const std::wstring& title) {
    std::vector<std::wstring> children;
    const QObArray<CardNode> nodes = readChildCards(database, id);
    for (unsigned i = 0; i < nodes.GetCount(); ++i) {
        children.push_back(StoredShape(database, nodes[i]->id, nodes[i]->title.c_str()));
    }
    std::sort(children.begin(), children.end());
    std::wstring shape = title + L"#" + std::to_wstring(id);
    if (children.empty()) return shape;
    shape += L"(";
    for (size_t i = 0; i < children.size(); ++i) shape += (i ? L"," : L"") + children[i];
    return shape + L")";
}

HTREEITEM LastTopItem(CardTreeView& tree) {
    HTREEITEM last = nullptr;
    for (HTREEITEM item = tree.GetChildItem(TVI_ROOT); item; item = tree.GetNextItem(item)) last = item;
    return last;
}

class MainWindowImportTest : public MainWindowTest {
protected:
    void Import(const std::wstring& source) {
        prompts.openPath = source;
        Command(IDM_IMPORT);
    }
    std::vector<std::wstring> MessageTexts() const {
        std::vector<std::wstring> texts;
        for (const ShownMessage& message : prompts.messages) texts.push_back(message.text);
        return texts;
    }
};

TEST_F(MainWindowImportTest, EveryCardArrivesUnderItsParentsCopyAndTheTreeShowsWhatTheFileHolds) {
    CardFile target(L"vorlen-import-target.data");
    ShapedSource source;
    Start(target.Path());
    ASSERT_TRUE(window->IsDatabaseOpen());
    CardTreeView& tree = window->GetCardTree();
    Import(source.path);

    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{});
    EXPECT_EQ(prompts.openKinds, std::vector<OpenPathKind>{OpenPathKind::ImportDatabase});
    // The new card is last at the top level, selected, and holds the copies.
    const HTREEITEM importItem = LastTopItem(tree);
    ASSERT_NE(importItem, nullptr);
    EXPECT_EQ(tree.GetSelectedItem(), importItem);
    EXPECT_EQ(TreeShape(tree, importItem, false),
              L"Import(Cycle A(Cycle B),Orphan,Parent(Child(Grandchild)))");
    // The file is backed up before the import changes it.
    EXPECT_EQ(prompts.progressCaptions, (std::vector<std::wstring>{L"Backup", L"Import Vorlen"}));
    ASSERT_FALSE(prompts.progressTexts.empty());
    EXPECT_EQ(prompts.progressTexts.front(), L"Prepare Data...");
    EXPECT_EQ(prompts.progressTexts.back(), L"Importing records: 6");
    EXPECT_EQ(prompts.lastPermille, 1000u);
    EXPECT_FALSE(prompts.progressOpen);

    // The items carry the ids of the copies the file holds, and the copy of
    // a card keeps its content.
    const CardId importId = tree.GetCardId(importItem);
    const std::wstring shown = TreeShape(tree, importItem, true);
    window.reset();
    CardDatabase database;
    database.openFile(target.Path().c_str());
    EXPECT_EQ(shown, StoredShape(database, importId, L"Import"));
    const QObArray<CardNode> top = readChildCards(database, importId);
    for (unsigned i = 0; i < top.GetCount(); ++i) {
        if (std::wstring(top[i]->title.c_str()) != L"Parent") continue;
        const QObArray<CardNode> below = readChildCards(database, top[i]->id);
        ASSERT_EQ(below.GetCount(), 1u);
        EXPECT_EQ(std::wstring(store::loadCardText(database, below[0]->id).c_str()), L"child text");
    }
}

TEST_F(MainWindowImportTest, AnEncipheredSourceIsCopiedOnlyWithItsPassword) {
    struct Case {
        const char* name;
        bool answer;
        const wchar_t* password;
        std::vector<std::wstring> messages;
        bool imported;
    };
    const Case cases[] = {
        {"right password", true, L"Source secret", {}, true},
        {"wrong password", true, L"source secret", {L"Invalid password!"}, false},
        {"prompt cancelled", false, L"Source secret", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile target(L"vorlen-import-target.data");
        ShapedSource source;
        Encipher(source.path, L"Source secret");
        prompts = ScriptedPrompts();
        Start(target.Path());
        ASSERT_TRUE(window->IsDatabaseOpen());
        const std::string before = FileBytes(target.Path());
        const int topItems = window->GetCardTree().GetCount();

        prompts.giveNewPassword = c.answer;
        prompts.newPassword = NewPasswordEntries{c.password, L""};
        Import(source.path);
        EXPECT_EQ(prompts.newPasswordQuestions, 1);
        EXPECT_EQ(MessageTexts(), c.messages);
        CardTreeView& tree = window->GetCardTree();
        if (c.imported) {
            EXPECT_EQ(TreeShape(tree, LastTopItem(tree), false),
                      L"Import(Cycle A(Cycle B),Orphan,Parent(Child(Grandchild)))");
        } else {
            EXPECT_EQ(tree.GetCount(), topItems);
            EXPECT_TRUE(prompts.progressCaptions.empty());
        }
        window.reset();
        if (!c.imported) {
            EXPECT_EQ(FileBytes(target.Path()), before);
        }
    }
}

TEST_F(MainWindowImportTest, TheOpenFileSpelledAnotherWayIsRefusedBeforeAnyPasswordIsAsked) {
    CardFile target(L"vorlen-import-self.data");
    Encipher(target.Path(), L"Secret");
    prompts.givePassword = true;
    prompts.password = L"Secret";
    Start(target.Path());
    ASSERT_TRUE(window->IsDatabaseOpen());
    const std::string before = FileBytes(target.Path());
    std::wstring upper = target.Path();
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    const std::wstring folder = target.Path().substr(0, target.Path().rfind(L'\\'));
    const std::wstring name = target.Path().substr(folder.size());
    const std::wstring spellings[] = {target.Path(), upper,
                                      folder + L"\\.\\..\\" + folder.substr(folder.rfind(L'\\') + 1) + name};
    for (unsigned i = 0; i < 3; ++i) {
        const std::wstring& spelling = spellings[i];
        SCOPED_TRACE(testing::Message() << "spelling " << i);
        prompts.messages.clear();
        prompts.passwordQuestions = prompts.newPasswordQuestions = 0;
        Import(spelling);
        EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"You can't import the same database!"});
        EXPECT_EQ(prompts.passwordQuestions + prompts.newPasswordQuestions, 0);
    }
    EXPECT_TRUE(prompts.progressCaptions.empty());
    window.reset();
    EXPECT_EQ(FileBytes(target.Path()), before);
}

TEST_F(MainWindowImportTest, WithoutADatabaseNoFileIsAskedFor) {
    Start();
    Import(L"C:\\anything.data");
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"You don't have a database open!"});
    EXPECT_TRUE(prompts.openKinds.empty());
}

// 400 cards of a thousand characters each, in blocks of ten below the first
// of each block, so the file has pages enough to break one in the middle.
std::wstring LargeSource(const wchar_t* name) {
    const std::wstring path = TempPath(name);
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    database.execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
        "INSERT INTO tab (id, title, parent, position, txt, rtf) "
        "SELECT i, 'Card ' || i, CASE WHEN i % 10 = 1 THEN 0 ELSE i - (i - 1) % 10 END, '', "
        "replace(hex(zeroblob(500)), '0', char(97 + i % 26)), '' FROM n");
    return path;
}

TEST_F(MainWindowImportTest, AFailureOrACancelHalfwayLeavesTargetAndTreeAsTheyWere) {
    const std::wstring large = LargeSource(L"vorlen-import-large.data");
    // The same source with pages in its middle overwritten: reading stops there.
    const std::wstring broken = TempPath(L"vorlen-import-broken.data");
    std::string bytes = FileBytes(large);
    ASSERT_GT(bytes.size(), 40u * 4096u);
    const size_t middle = bytes.size() / 4096 / 2 * 4096;
    std::fill(bytes.begin() + middle, bytes.begin() + middle + 3 * 4096, '\xA5');
    WriteBytes(broken, bytes);
    // A database of something else: the copy fails after the "Import" card went in.
    const std::wstring notADatabase = TempPath(L"vorlen-import-other.data");
    {
        CardDatabase other;
        other.createFile(notADatabase.c_str());
        other.execute("CREATE TABLE other (x)");
    }

    struct Case {
        const char* name;
        std::wstring source;
        int cancelAtReport;
        bool message;
    };
    const Case cases[] = {
        {"cancelled halfway", large, 200, false},
        {"cancelled before the copy", large, 0, false},
        {"a page broken halfway", broken, -1, true},
        {"no card table", notADatabase, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile target(L"vorlen-import-target.data");
        prompts = ScriptedPrompts();
        Start(target.Path());
        ASSERT_TRUE(window->IsDatabaseOpen());
        CardTreeView& tree = window->GetCardTree();
        const std::string before = FileBytes(target.Path());
        const std::wstring shapeBefore = TreeShape(tree, TVI_ROOT, true);
        const HTREEITEM selectedBefore = tree.GetSelectedItem();

        prompts.cancelAtReport = c.cancelAtReport;
        Import(c.source);
        EXPECT_EQ(prompts.progressCaptions.size(), 2u);
        EXPECT_FALSE(prompts.progressOpen);
        if (c.cancelAtReport > 0) {
            // It was stopped in the middle, not before or after the copy.
            EXPECT_EQ(static_cast<int>(prompts.progressTexts.size()), c.cancelAtReport + 1);
            EXPECT_LT(prompts.lastPermille, 1000u);
        }
        EXPECT_EQ(prompts.messages.size(), c.message ? 1u : 0u);
        EXPECT_EQ(TreeShape(tree, TVI_ROOT, true), shapeBefore);
        EXPECT_EQ(tree.GetSelectedItem(), selectedBefore);
            window.reset();
        EXPECT_EQ(FileBytes(target.Path()), before);
    }
    DeleteFileW(large.c_str());
    DeleteFileW(broken.c_str());
    DeleteFileW(notADatabase.c_str());
}

}  // namespace
}  // namespace apptest
