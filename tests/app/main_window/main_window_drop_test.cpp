// Files dropped from the shell: on the window they become cards or open a
// card database; on an editor they go in at the caret.

#include <ole2.h>
#include <richole.h>

#include <string>
#include <utility>
#include <vector>

#include "core/qbuffer.h"
#include "documents/docx_writer.h"
#include "gui_harness.h"
#include "main_window_fixture.h"
#include "shell_drop.h"
#include "test_pictures.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

namespace apptest {
namespace {

// A file under the temporary folder with the given bytes, removed afterwards.
class ScratchFile {
public:
    ScratchFile(const std::wstring& name, const std::string& bytes) : path(TempPath(name.c_str())) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile() { DeleteFileW(path.c_str()); }
    const std::wstring& Path() const { return path; }

private:
    std::wstring path;
};

std::string WordDocument(const wchar_t* first, const wchar_t* second) {
    documents::RichDocument document;
    for (const wchar_t* text : {first, second}) {
        documents::RichParagraph paragraph;
        documents::RichRun run;
        run.text = text;
        run.bold = true;
        paragraph.runs.push_back(run);
        document.paragraphs.push_back(paragraph);
    }
    const kiln::qstd::QBuffer bytes = documents::BuildDocx(document);
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetCount());
}

LONG ObjectCount(HWND edit) {
    IRichEditOle* ole = nullptr;
    SendMessageW(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (!ole) return -1;
    const LONG count = ole->GetObjectCount();
    ole->Release();
    return count;
}

class DropTest : public MainWindowTest {
protected:
    // As the shell sends it; the window releases the drop.
    void Drop(const std::vector<std::wstring>& paths) {
        SendMessageW(window->GetHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(guitest::MakeShellDrop(paths)), 0);
    }
    std::vector<std::wstring> TopLevelTitles() {
        CardTreeView& tree = window->GetCardTree();
        std::vector<std::wstring> titles;
        for (HTREEITEM item = tree.GetChildItem(TVI_ROOT); item; item = tree.GetNextItem(item)) {
            titles.push_back(tree.GetItemText(item).c_str());
        }
        return titles;
    }
    std::wstring SelectedTitle() {
        CardTreeView& tree = window->GetCardTree();
        const HTREEITEM item = tree.GetSelectedItem();
        return item ? tree.GetItemText(item).c_str() : L"";
    }
    CardId SelectedCard() {
        CardTreeView& tree = window->GetCardTree();
        const HTREEITEM item = tree.GetSelectedItem();
        return item ? tree.GetCardId(item) : 0;
    }
    std::vector<std::wstring> MessageTexts() const {
        std::vector<std::wstring> texts;
        for (const ShownMessage& message : prompts.messages) {
            EXPECT_EQ(message.caption, L"Message");
            texts.push_back(message.text);
        }
        return texts;
    }
};

struct KindCase {
    const wchar_t* name;
    std::string bytes;
    // Null: the file makes no card. Else the card's plain text.
    const wchar_t* text;
};

TEST_F(DropTest, EachKindOfFileBecomesATopLevelCardTitledWithItsNameOrIsIgnored) {
    CardFile cards(L"vorlen-drop-kinds.data");
    Start(cards.Path());
    const KindCase cases[] = {
        {L"notes.txt", "plain words", L"plain words"},
        {L"SHOUTED NOTES.TXT", "loud words", L"loud words"},
        {L"script.py", "print(1)\n", L"print(1)\r\n"},
        {L"styled.rtf", "{\\rtf1\\ansi {\\b bold} words\\par}", L"bold words"},
        {L"report.docx", WordDocument(L"First paragraph", L"Second"), L"First paragraph\r\nSecond\r\n"},
        {L"wide.txt", std::string("w\0i\0d\0e\0", 8), L"wide"},
        {L"empty.txt", "", L""},
        {L"picture.png", guitest::SmallPng(), nullptr},
        {L"README", "no extension", nullptr},
        {L"archive.zip", "PK", nullptr},
    };
    std::vector<std::wstring> expectedTitles = TopLevelTitles();
    for (const KindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name);
        ScratchFile file(c.name, c.bytes);
        const CardId before = SelectedCard();
        Drop({file.Path()});
        EXPECT_TRUE(prompts.messages.empty());
        if (!c.text) {
            EXPECT_EQ(TopLevelTitles(), expectedTitles);
            EXPECT_EQ(SelectedCard(), before);
            continue;
        }
        expectedTitles.push_back(c.name);
        EXPECT_EQ(TopLevelTitles(), expectedTitles);
        // The new card is selected and shown in the tab, and it is in the file.
        EXPECT_EQ(SelectedTitle(), c.name);
        const CardId added = SelectedCard();
        EXPECT_NE(added, before);
        EXPECT_EQ(window->GetTabs().GetTab(0).value, added);
        EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), c.name);
        EXPECT_EQ(EditorText(), c.text);
        EXPECT_FALSE(window->GetTabs().GetActiveEditor()->IsModified());
        EXPECT_EQ(cards.StoredText(added), c.text);
    }
}

// A folder, even one named like a text file, becomes a branch: a card per
// readable file and a branch per subfolder in name order; what could not be
// read is named in one message at the end.
TEST_F(DropTest, AFolderBecomesABranchOfItsFilesAndSubfolders) {
    CardFile cards(L"vorlen-drop-folder.data");
    const std::wstring folder = TempPath(L"vorlen-drop-folder.txt");
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    {
        ScratchFile b(L"vorlen-drop-folder.txt\\b.txt", "bee");
        ScratchFile a(L"vorlen-drop-folder.txt\\A.txt", "ay");
        ScratchFile broken(L"vorlen-drop-folder.txt\\broken.docx", "no archive");
        ScratchFile styled(L"vorlen-drop-folder.txt\\sub\\c.rtf", "{\\rtf1\\ansi {\\b see}\\par}");
        Start(cards.Path());
        std::vector<std::wstring> expectedTitles = TopLevelTitles();
        Drop({folder});
        expectedTitles.push_back(L"vorlen-drop-folder.txt");
        EXPECT_EQ(TopLevelTitles(), expectedTitles);
        EXPECT_EQ(SelectedTitle(), L"vorlen-drop-folder.txt");
        const std::vector<std::wstring> texts = MessageTexts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(broken.Path()), std::wstring::npos) << texts[0];
        EXPECT_EQ(texts[0].find(a.Path()), std::wstring::npos) << texts[0];
    }
    CardDatabase database;
    database.openFile(cards.Path().c_str());
    const CardTree tree = loadCardTree(database);
    std::vector<std::pair<int, std::wstring>> branch;
    std::vector<std::wstring> stored;
    bool inBranch = false;
    for (unsigned i = 0; i < tree.getCount(); ++i) {
        if (tree.getDepth(i) == 0) inBranch = tree.getCard(i).title == kiln::qstd::QString(L"vorlen-drop-folder.txt");
        if (!inBranch) continue;
        branch.emplace_back(tree.getDepth(i), tree.getCard(i).title.c_str());
        stored.push_back(cards.StoredText(tree.getCard(i).id));
    }
    const std::vector<std::pair<int, std::wstring>> expected = {
        {0, L"vorlen-drop-folder.txt"}, {1, L"A.txt"}, {1, L"b.txt"}, {1, L"sub"}, {2, L"c.rtf"}};
    EXPECT_EQ(branch, expected);
    EXPECT_EQ(stored, (std::vector<std::wstring>{L"", L"ay", L"bee", L"", L"see"}));
    RemoveDirectoryW((folder + L"\\sub").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(DropTest, AFileThatCannotBeReadLeavesNoCardAndIsNamedWhileTheOthersArrive) {
    CardFile cards(L"vorlen-drop-unreadable.data");
    ScratchFile locked(L"vorlen-drop-locked.txt", "kept from us");
    ScratchFile broken(L"vorlen-drop-broken.docx", "this is no archive");
    ScratchFile deep(L"vorlen-drop-deep.rtf", "{\\rtf1" + std::string(40, '{') + "x" + std::string(41, '}'));
    ScratchFile good(L"vorlen-drop-good.txt", "arrived");
    const std::wstring missing = TempPath(L"vorlen-drop-missing.txt");
    HANDLE hold = CreateFileW(locked.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    Start(cards.Path());
    std::vector<std::wstring> titles = TopLevelTitles();

    Drop({locked.Path(), broken.Path(), missing, deep.Path(), good.Path()});
    CloseHandle(hold);

    const std::vector<std::wstring> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 4u);
    const std::wstring named[] = {locked.Path(), broken.Path(), missing, deep.Path()};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(texts[i]);
        EXPECT_EQ(texts[i].find(named[i] + L"\n\n"), 0u);
        // A reason follows the name.
        EXPECT_GT(texts[i].size(), named[i].size() + 2);
    }
    EXPECT_NE(texts[1].find(L"Document load error!"), std::wstring::npos);
    titles.push_back(L"vorlen-drop-good.txt");
    EXPECT_EQ(TopLevelTitles(), titles);
    EXPECT_EQ(EditorText(), L"arrived");
}

TEST_F(DropTest, APathLongerThanTheOldLimitIsReadWhole) {
    CardFile cards(L"vorlen-drop-long.data");
    // Three nested folders of 100 characters each: the file's path is > 300.
    std::wstring folder = TempPath(L"");
    std::vector<std::wstring> folders;
    for (wchar_t letter : {L'a', L'b', L'c'}) {
        folder += std::wstring(100, letter);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        folders.push_back(folder);
        folder += L"\\";
    }
    const std::wstring path = folder + L"far away.txt";
    ASSERT_GT(path.size(), 300u);
    {
        HANDLE file =
            CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "deep inside", 11, &written, nullptr);
        CloseHandle(file);
    }
    Start(cards.Path());
    Drop({path});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(SelectedTitle(), L"far away.txt");
    EXPECT_EQ(cards.StoredText(SelectedCard()), L"deep inside");
    DeleteFileW((L"\\\\?\\" + path).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
}

TEST_F(DropTest, EditsOfTheShownCardAreSavedBeforeTheDroppedFileIsShown) {
    CardFile cards(L"vorlen-drop-edits.data");
    ScratchFile text(L"vorlen-drop-after-edit.txt", "dropped");
    Start(cards.Path());
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.journal)));
    EditorPage* page = window->GetTabs().GetActiveEditor();
    page->GetEditor().SetText(L"typed but not saved");
    page->GetEditor().SetModified(true);

    Drop({text.Path()});
    EXPECT_EQ(cards.StoredText(cards.journal), L"typed but not saved");
    EXPECT_EQ(SelectedTitle(), L"vorlen-drop-after-edit.txt");
    EXPECT_EQ(EditorText(), L"dropped");
}

TEST_F(DropTest, ADatabaseFileReplacesTheOpenOneAndEndsTheDrop) {
    CardFile first(L"vorlen-drop-first.data");
    CardFile second(L"vorlen-drop-second.data");
    CardFile third(L"vorlen-drop-third.data");
    ScratchFile before(L"vorlen-drop-before.txt", "into the first");
    ScratchFile after(L"vorlen-drop-after.txt", "never read");
    Start(first.Path());

    // Text before a database goes into the database that was open.
    Drop({before.Path(), second.Path(), after.Path(), third.Path()});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), second.Path());
    EXPECT_EQ(TopLevelTitles(), (std::vector<std::wstring>{L"Projects", L"Journal"}));
    {
        CardDatabase database;
        database.openFile(first.Path().c_str());
        const kiln::qstd::QObArray<CardNode> top = readChildCards(database, 0);
        ASSERT_EQ(top.GetCount(), 3u);
        EXPECT_STREQ(top[2]->title.c_str(), L"vorlen-drop-before.txt");
        EXPECT_STREQ(store::loadCardText(database, top[2]->id).c_str(), L"into the first");
    }

    // Of two databases the first is opened.
    Drop({third.Path(), first.Path()});
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), third.Path());
}

TEST_F(DropTest, WithoutADatabaseTheUserIsToldOnceHoweverManyFiles) {
    ScratchFile text(L"vorlen-drop-nodb.txt", "text");
    ScratchFile rtf(L"vorlen-drop-nodb.rtf", "{\\rtf1 x}");
    ScratchFile picture(L"vorlen-drop-nodb.png", guitest::SmallPng());
    Start();
    Drop({text.Path(), rtf.Path(), picture.Path()});
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Create a database first!"});
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
}

TEST_F(DropTest, APictureDroppedOnAnEditorGoesInAtTheCaretAndMakesNoCard) {
    CardFile cards(L"vorlen-drop-editor.data");
    ScratchFile picture(L"vorlen-drop-on-editor.png", guitest::SmallPng());
    ScratchFile text(L"vorlen-drop-on-editor.txt", "inserted ");
    Start(cards.Path());
    const std::vector<std::wstring> titles = TopLevelTitles();
    EditorPage* page = window->GetTabs().GetActiveEditor();
    const HWND edit = page->GetEditor().GetHandle();
    page->GetEditor().SetText(L"");
    page->GetEditor().SetModified(false);

    SendMessageW(edit, WM_DROPFILES, reinterpret_cast<WPARAM>(guitest::MakeShellDrop({text.Path(), picture.Path()})), 0);
    // The page keeps the picture and shows its placeholder.
    EXPECT_EQ(EditorText().substr(0, 20), L"inserted [picture 1]");
    kiln::qstd::QBuffer rtf;
    ASSERT_TRUE(page->GetRtf(rtf));
    EXPECT_NE(std::string(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount()).find("\\pngblip"),
              std::string::npos);
    EXPECT_TRUE(page->IsModified());
    EXPECT_EQ(TopLevelTitles(), titles);
    EXPECT_TRUE(prompts.messages.empty());
}

// A page that takes no typing takes no dropped file either: with no database
// nothing could save it, and a card the editor refused to show must stay as
// it is, so what was dropped would only be shown and then lost.
TEST_F(DropTest, AFileDroppedOnAnEditorThatTakesNoTypingChangesNothing) {
    ScratchFile text(L"vorlen-drop-on-read-only.txt", "inserted ");
    ScratchFile picture(L"vorlen-drop-on-read-only.png", guitest::SmallPng());
    CardFile cards(L"vorlen-drop-on-refused.data");
    std::string deep = "{\\rtf1\\ansi ";
    for (int i = 0; i < 40; ++i) deep += "{\\b ";
    deep += "deep" + std::string(40, '}');
    cards.Store(cards.journal, L"deep", deep);
    for (bool refusedCard : {false, true}) {
        SCOPED_TRACE(refusedCard ? "a refused card" : "no database");
        if (refusedCard) {
            Start(cards.Path());
            ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.journal)));
        } else {
            Start();
        }
        EditorPage* page = window->GetTabs().GetActiveEditor();
        ASSERT_NE(page, nullptr);
        const HWND edit = page->GetEditor().GetHandle();
        const std::wstring before = EditorText();
        const bool modifiedBefore = page->IsModified();
        SendMessageW(edit, WM_DROPFILES, reinterpret_cast<WPARAM>(guitest::MakeShellDrop({text.Path(), picture.Path()})),
                     0);
        EXPECT_EQ(EditorText(), before);
        EXPECT_EQ(ObjectCount(edit), 0);
        EXPECT_EQ(page->IsModified(), modifiedBefore);
        window.reset();
        guitest::DrainQuit();
    }
    EXPECT_EQ(cards.StoredRtf(cards.journal), deep);
}

// A folder of three subfolders of twenty text files each, removed afterwards.
class LargeFolder {
public:
    explicit LargeFolder(const wchar_t* name) : path(TempPath(name)) {
        CreateDirectoryW(path.c_str(), nullptr);
        for (int part = 0; part < kParts; ++part) {
            CreateDirectoryW(Part(part).c_str(), nullptr);
            for (int note = 0; note < kNotes; ++note) {
                const std::string text = "note " + std::to_string(part) + "." + std::to_string(note);
                HANDLE file = CreateFileW(Note(part, note).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                DWORD written = 0;
                WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
                CloseHandle(file);
            }
        }
    }
    LargeFolder(const LargeFolder&) = delete;
    LargeFolder& operator=(const LargeFolder&) = delete;
    ~LargeFolder() {
        for (int part = 0; part < kParts; ++part) {
            for (int note = 0; note < kNotes; ++note) DeleteFileW(Note(part, note).c_str());
            RemoveDirectoryW(Part(part).c_str());
        }
        RemoveDirectoryW(path.c_str());
    }

    static constexpr int kParts = 3;
    static constexpr int kNotes = 20;
    static constexpr int kFiles = kParts * kNotes;
    // The folder's card, a card per subfolder and a card per file.
    static constexpr int kCards = 1 + kParts + kFiles;
    const std::wstring path;

private:
    std::wstring Part(int part) const { return path + L"\\part " + std::to_wstring(part); }
    std::wstring Note(int part, int note) const {
        return Part(part) + (note < 10 ? L"\\note 0" : L"\\note ") + std::to_wstring(note) + L".txt";
    }
};

unsigned StoredCardCount(const CardFile& cards) {
    CardDatabase database;
    database.openFile(cards.Path().c_str());
    return loadCardTree(database).getCount();
}

TEST_F(DropTest, ALargeFolderIsReadAndStoredBehindTheProgressDialog) {
    CardFile cards(L"vorlen-drop-large.data");
    LargeFolder folder(L"vorlen-drop-large");
    Start(cards.Path());
    const unsigned before = StoredCardCount(cards);
    Drop({folder.path});

    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.progressCaptions, std::vector<std::wstring>{L"Add folder"});
    EXPECT_FALSE(prompts.progressOpen);
    // The listing, a report before each file is read and before each card is made.
    ASSERT_EQ(prompts.progressTexts.size(), 1u + LargeFolder::kFiles + LargeFolder::kCards);
    EXPECT_EQ(prompts.progressTexts[1], L"Reading files: 0 of 60");
    EXPECT_EQ(prompts.progressTexts[60], L"Reading files: 59 of 60");
    EXPECT_EQ(prompts.progressTexts.back(), L"Storing cards: 63 of 64");
    EXPECT_GT(prompts.lastPermille, 990u);
    EXPECT_EQ(SelectedTitle(), L"vorlen-drop-large");
    EXPECT_EQ(StoredCardCount(cards), before + LargeFolder::kCards);
    CardTreeView& tree = window->GetCardTree();
    const HTREEITEM lastPart = tree.GetNextItem(tree.GetNextItem(tree.GetChildItem(tree.GetSelectedItem())));
    ASSERT_NE(lastPart, nullptr);
    EXPECT_EQ(std::wstring(tree.GetItemText(lastPart).c_str()), L"part 2");
}

// Cancel while the files are read, and while the cards are made (which
// the transaction then takes back): the file and the tree are as they were.
TEST_F(DropTest, ACancelledFolderLeavesTheFileAndTheTreeAsTheyWere) {
    CardFile cards(L"vorlen-drop-cancel.data");
    LargeFolder folder(L"vorlen-drop-cancel");
    ScratchFile after(L"vorlen-drop-cancel-after.txt", "never read");
    struct Case {
        const char* name;
        int cancelAt;
    };
    const Case cases[] = {
        {"while reading", 30},
        {"while storing", 1 + LargeFolder::kFiles + 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts = ScriptedPrompts();
        Start(cards.Path());
        const unsigned before = StoredCardCount(cards);
        const std::vector<std::wstring> titles = TopLevelTitles();
        const int items = window->GetCardTree().GetCount();
        prompts.cancelAtReport = c.cancelAt;
        // The cancel ends the drop: the file after the folder is not read either.
        Drop({folder.path, after.Path()});

        EXPECT_EQ(prompts.countedReports, c.cancelAt + 1);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(TopLevelTitles(), titles);
        EXPECT_EQ(window->GetCardTree().GetCount(), items);
        EXPECT_EQ(StoredCardCount(cards), before);
        window.reset();
        EXPECT_EQ(StoredCardCount(cards), before);
    }
}

}  // namespace
}  // namespace apptest
