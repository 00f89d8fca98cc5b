// The card tree in the main window: filling, selection, rename, drag and the
// context menu, with a real tree control and a real card file.

#include <richedit.h>

#include <cstring>
#include <string>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

// The control's own way of opening every branch, depth first: "title@depth".
std::wstring ExpandAll(HWND tree, HTREEITEM parent = TVI_ROOT, int depth = 0) {
    std::wstring text;
    HTREEITEM child = reinterpret_cast<HTREEITEM>(SendMessageW(
        tree, TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    for (; child; child = reinterpret_cast<HTREEITEM>(
                      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        wchar_t title[64] = {};
        TVITEMW item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = child;
        item.pszText = title;
        item.cchTextMax = 64;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, 0);
        EXPECT_EQ(item.iSelectedImage, 1);
        if (!text.empty()) text += L' ';
        text += std::wstring(title) + L"@" + std::to_wstring(depth);
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(child));
        const std::wstring below = ExpandAll(tree, child, depth + 1);
        if (!below.empty()) text += L' ' + below;
    }
    return text;
}

class CardTreeTest : public MainWindowTest {
protected:
    CardTreeView& Tree() { return window->GetCardTree(); }
    HTREEITEM Item(CardId id) { return window->RevealCard(id); }
    CardId ParentInFile(const CardFile& file, CardId id) {
        CardDatabase database;
        database.openFile(file.Path().c_str());
        CardStatement statement = database.prepareWithId("select parent from tab where id = ?", id);
        statement.step();
        return statement.getId(0);
    }
    std::wstring TitleInFile(const CardFile& file, CardId id) {
        CardDatabase database;
        database.openFile(file.Path().c_str());
        CardStatement statement = database.prepareWithId("select title from tab where id = ?", id);
        statement.step();
        return statement.getText(0).c_str();
    }
    // The middle of an item in the main window's client co-ordinates.
    POINT PointOf(HTREEITEM item) {
        // The message takes the item in the rectangle's place.
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof(item));
        SendMessageW(Tree().GetHandle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        MapWindowPoints(Tree().GetHandle(), window->GetHandle(), &point, 1);
        return point;
    }
    void Notify(UINT code, HTREEITEM item = nullptr) {
        NMTREEVIEWW info = {};
        info.hdr.hwndFrom = Tree().GetHandle();
        info.hdr.idFrom = IDC_CARD_TREE;
        info.hdr.code = code;
        info.itemNew.hItem = item;
        SendMessageW(window->GetHandle(), WM_NOTIFY, IDC_CARD_TREE, reinterpret_cast<LPARAM>(&info));
    }
    // A drag of one item to a point of the main window's client area, as the mouse makes it.
    void Drag(HTREEITEM dragged, POINT to) {
        Notify(TVN_BEGINDRAGW, dragged);
        SendMessageW(window->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        SendMessageW(window->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    }
    void RightClick(POINT clientPoint) {
        POINT screen = clientPoint;
        ClientToScreen(window->GetHandle(), &screen);
        SetCursorPos(screen.x, screen.y);
        Notify(NM_RCLICK);
    }
};

TEST_F(CardTreeTest, TheTreeShowsWhatTheStoreOrdersAndLeavesOrphansAndCyclesOut) {
    const std::wstring path = TempPath(L"vorlen-app-tree-fill.data");
    {
        CardDatabase database;
        store::createCardDatabase(database, path.c_str());
        CardStatement insert = database.prepare("INSERT INTO tab (id, title, parent) VALUES (?, ?, ?)");
        const struct {
            CardId id;
            const wchar_t* title;
            CardId parent;
        } rows[] = {{4, L"D", 0},      {1, L"A", 0},     {3, L"C", 2},      {2, L"B", 1},     {9, L"B2", 1},
                    {5, L"orphan", 99}, {6, L"self", 6}, {7, L"cycle", 8}, {8, L"cycle", 7}, {10, L"", 0}};
        for (const auto& row : rows) {
            insert.bindId(1, row.id);
            insert.bindText(2, row.title);
            insert.bindId(3, row.parent);
            insert.step();
            sqlite3_reset(insert.getHandle());
        }
    }
    Start(path);
    ASSERT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(Tree().GetCount(), 3);
    EXPECT_EQ(ExpandAll(Tree().GetHandle()), L"A@0 B@1 C@2 B2@1 D@0 @0");
    for (CardId hidden : {5, 6, 7, 8, 99}) EXPECT_EQ(Item(hidden), TVI_ROOT) << hidden;
    EXPECT_EQ(Tree().GetCardId(Item(3)), 3);
    window.reset();
    DeleteFileW(path.c_str());
}

TEST_F(CardTreeTest, ACardDeepInAClosedBranchIsFoundForTheRememberedCardAndTheHistory) {
    CardFile cards(L"vorlen-app-tree-reveal.data");
    Start(cards.Path());
    EXPECT_EQ(Tree().GetCount(), 2);
    const HTREEITEM ideas = Item(cards.ideas);
    ASSERT_NE(ideas, TVI_ROOT);
    EXPECT_EQ(Tree().GetParentItem(ideas), Item(cards.projects));
    // Read once: finding it again adds nothing.
    EXPECT_EQ(Item(cards.ideas), ideas);
    EXPECT_EQ(Tree().GetCount(), 3);
}

TEST_F(CardTreeTest, CtrlOpensANewTabAndACardAlreadyInATabIsNotLoadedTwice) {
    CardFile cards(L"vorlen-app-tree-ctrl.data");
    Start(cards.Path());
    TabContainer& tabs = window->GetTabs();
    ASSERT_EQ(tabs.GetTabCount(), 1u);
    HoldControl(true);
    ASSERT_TRUE(Tree().SelectItem(Item(cards.ideas)));
    HoldControl(false);
    ASSERT_EQ(tabs.GetTabCount(), 2u);
    EXPECT_EQ(tabs.GetActiveIndex(), 1);
    EXPECT_EQ(tabs.GetTab(1).value, cards.ideas);
    EXPECT_STREQ(tabs.GetTab(1).title.c_str(), L"Ideas");
    EXPECT_EQ(EditorText().substr(0, 10), L"Ideas text");
    EXPECT_FALSE(tabs.GetActiveEditor()->IsModified());

    // Without Ctrl, a card shown in another tab brings that tab forward.
    ASSERT_TRUE(Tree().SelectItem(Item(cards.projects)));
    EXPECT_EQ(tabs.GetTabCount(), 2u);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
    HoldControl(true);
    ASSERT_TRUE(Tree().SelectItem(Item(cards.ideas)));
    HoldControl(false);
    EXPECT_EQ(tabs.GetTabCount(), 2u);
    EXPECT_EQ(tabs.GetActiveIndex(), 1);
    // Every selection goes to the front of the history.
    const auto& history = window->GetSettings().history.GetIds();
    ASSERT_GE(history.GetCount(), 3u);
    EXPECT_EQ(history[0], cards.ideas);
    EXPECT_EQ(history[1], cards.projects);
    EXPECT_EQ(history[2], cards.ideas);
}

// Another program may store RTF nested deeper than the editor can read
// without crashing; such a card is refused with a message and stays as it
// is, whether it is loaded into the current tab or opened in a new one.
TEST_F(CardTreeTest, ACardNestedDeeperThanTheEditorTakesIsRefusedAndKeptAsItIs) {
    CardFile cards(L"vorlen-app-tree-deep.data");
    std::string deep = "{\\rtf1\\ansi ";
    for (int i = 0; i < 49; ++i) deep += "{\\b ";
    deep += "deep text" + std::string(50, '}');
    cards.Store(cards.journal, L"deep text", deep);
    const wchar_t refusal[] =
        L"This card cannot be shown and is left as it is. The RTF nests its groups 50 deep; the editor takes at "
        L"most 32.";
    for (bool newTab : {false, true}) {
        SCOPED_TRACE(newTab ? "in a new tab" : "in the current tab");
        Start(cards.Path());
        ASSERT_TRUE(Tree().SelectItem(Item(cards.projects)));
        EXPECT_EQ(EditorText(), L"");
        prompts.messages.clear();
        HoldControl(newTab);
        ASSERT_TRUE(Tree().SelectItem(Item(cards.journal)));
        HoldControl(false);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, refusal);
        EditorPage* page = window->GetTabs().GetActiveEditor();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(EditorText(), L"");
        // Typing, or anything else that marks the page, never reaches the card.
        const HWND edit = page->GetEditor().GetHandle();
        SendMessageW(edit, WM_CHAR, 'x', 0);
        SendMessageW(edit, EM_SETMODIFY, TRUE, 0);
        EXPECT_FALSE(page->IsModified());
        // Another card loads normally into that page, and can be edited again.
        if (!newTab) {
            ASSERT_TRUE(Tree().SelectItem(Item(cards.ideas)));
            EXPECT_EQ(EditorText().substr(0, 10), L"Ideas text");
            SendMessageW(edit, WM_CHAR, 'y', 0);
            EXPECT_NE(EditorText().find(L'y'), std::wstring::npos);
        }
        window.reset();
        guitest::DrainQuit();
        EXPECT_EQ(cards.StoredRtf(cards.journal), deep);
        EXPECT_EQ(cards.StoredText(cards.journal), L"deep text");
    }
}

TEST_F(CardTreeTest, RenameStoresTheTrimmedTitleAndRetitlesTheTabWhileEscKeepsTheOldOne) {
    CardFile cards(L"vorlen-app-tree-rename.data");
    Start(cards.Path());
    ASSERT_TRUE(Tree().SelectItem(Item(cards.journal)));
    const struct {
        const wchar_t* typed;
        bool cancel;
        const wchar_t* stored;
    } cases[] = {
        {L"  Notes  ", false, L"Notes"},
        {L"Not kept", true, L"Notes"},
        {L" \t ", false, L""},
        {L"Diary", false, L"Diary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed '" << std::string(c.typed, c.typed + wcslen(c.typed)) << "'");
        Command(IDM_RENAME);
        const HWND edit = Tree().GetEditControl();
        ASSERT_NE(edit, nullptr);
        // The label edit takes Esc, Del and the editing keys itself.
        MSG key = {edit, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
        EXPECT_FALSE(window->PreTranslateMessage(&key));
        SetWindowTextW(edit, c.typed);
        if (c.cancel) {
            SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            SendMessageW(Tree().GetHandle(), TVM_ENDEDITLABELNOW, FALSE, 0);
        }
        EXPECT_EQ(TitleInFile(cards, cards.journal), c.stored);
        EXPECT_EQ(std::wstring(Tree().GetItemText(Item(cards.journal)).c_str()), c.stored);
        EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), c.stored);
    }
    MSG key = {Tree().GetHandle(), WM_KEYDOWN, VK_F2, 0, 0, {0, 0}};
    EXPECT_TRUE(window->PreTranslateMessage(&key));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardTreeTest, ACardDroppedInItsOwnSubtreeOrOnNothingIsRefusedAndElsewhereMoves) {
    CardFile cards(L"vorlen-app-tree-drag.data");
    Start(cards.Path());
    const HTREEITEM projects = Item(cards.projects);
    const HTREEITEM ideas = Item(cards.ideas);
    const POINT nowhere = {PointOf(projects).x, window->CurrentLayout().tree.y + window->CurrentLayout().tree.height - 5};
    const struct {
        const char* what;
        HTREEITEM dragged;
        POINT to;
    } refused[] = {{"onto itself", projects, PointOf(projects)},
                   {"onto its child", projects, PointOf(ideas)},
                   {"onto no card", ideas, nowhere}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        prompts.messages.clear();
        Drag(c.dragged, c.to);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, L"You can't put parent node into it's childs!");
        EXPECT_EQ(prompts.messages[0].caption, L"Message");
        EXPECT_EQ(ParentInFile(cards, cards.projects), 0);
        EXPECT_EQ(ParentInFile(cards, cards.ideas), cards.projects);
        EXPECT_EQ(Tree().GetCount(), 3);
    }

    prompts.messages.clear();
    Drag(projects, PointOf(Item(cards.journal)));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ParentInFile(cards, cards.projects), cards.journal);
    EXPECT_EQ(ParentInFile(cards, cards.ideas), cards.projects);
    const HTREEITEM journal = Item(cards.journal);
    EXPECT_EQ(Tree().GetSelectedItem(), journal);
    EXPECT_EQ(Tree().GetDropTarget(), nullptr);
    EXPECT_EQ(ExpandAll(Tree().GetHandle()), L"Journal@0 Projects@1 Ideas@2");
    EXPECT_EQ(Tree().GetCount(), 3);
}

TEST_F(CardTreeTest, ABranchNeverOpenedMovesWithItsCardAndIsReadOnceWhereItLands) {
    CardFile cards(L"vorlen-app-tree-drag-closed.data");
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        store::addCard(database, cards.journal, L"Entry");
    }
    // Neither Projects' branch nor Journal's has been read yet.
    Start(cards.Path());
    Drag(Tree().GetChildItem(TVI_ROOT), PointOf(Tree().GetNextItem(Tree().GetChildItem(TVI_ROOT))));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ExpandAll(Tree().GetHandle()), L"Journal@0 Entry@1 Projects@1 Ideas@2");
}

TEST_F(CardTreeTest, TheContextMenuGreysCardCommandsOverEmptySpaceAndSendsTheChosenCommand) {
    CardFile cards(L"vorlen-app-tree-menu.data");
    Start(cards.Path());
    const HTREEITEM journal = Item(cards.journal);

    prompts.menuChoice = IDM_OPEN_IN_NEW_TAB;
    RightClick(PointOf(journal));
    const std::vector<std::pair<std::wstring, bool>> onCard = {
        {L"&Add Card", false}, {L"&Delete card", false}, {L"Delete A&ll Cards", false}, {L"Re&name\tF2", false},
        {L"Mo&ve to...\tCtrl+Shift+M", false}, {L"", false},          {L"&Open in new tab\tCtrl+LClick", false},           {L"", false},
        {L"&Export", false},   {L"Expor&t branch...", false}, {L"&Print branch...", false}};
    ASSERT_EQ(prompts.menu.size(), onCard.size());
    for (size_t i = 0; i < onCard.size(); ++i) {
        EXPECT_EQ(prompts.menu[i].text, onCard[i].first) << i;
        EXPECT_EQ(prompts.menu[i].greyed, onCard[i].second) << i;
    }
    // The command acted on the card under the pointer, not the selected one.
    ASSERT_EQ(window->GetTabs().GetTabCount(), 2u);
    EXPECT_EQ(window->GetTabs().GetTab(1).value, cards.journal);
    EXPECT_EQ(Tree().GetDropTarget(), nullptr);

    prompts.menuChoice = IDM_RENAME;
    RightClick(PointOf(Item(cards.projects)));
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    SetWindowTextW(Tree().GetEditControl(), L"Work");
    SendMessageW(Tree().GetHandle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(TitleInFile(cards, cards.projects), L"Work");

    // Empty space: no card is selected and the card commands are greyed.
    prompts.menuChoice = IDM_ADD_CARD;
    RightClick(POINT{PointOf(journal).x, window->CurrentLayout().tree.y + window->CurrentLayout().tree.height - 5});
    for (const ShownMenuItem& item : prompts.menu) {
        const bool cardCommand = item.command == IDM_RENAME || item.command == IDM_DELETE_CARD ||
                                 item.command == IDM_OPEN_IN_NEW_TAB || item.command == IDM_MOVE_TO;
        EXPECT_EQ(item.greyed, cardCommand) << std::string(item.text.begin(), item.text.end());
    }
    // Add Card with nothing selected: a card at the top level, its label being edited.
    const HWND edit = Tree().GetEditControl();
    ASSERT_NE(edit, nullptr);
    const HTREEITEM added = Tree().GetSelectedItem();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(Tree().GetParentItem(added), nullptr);
    const CardId addedId = Tree().GetCardId(added);
    EXPECT_EQ(ParentInFile(cards, addedId), 0);
    // Esc leaves the title the tree shows, in the file too.
    SendMessageW(Tree().GetHandle(), TVM_ENDEDITLABELNOW, TRUE, 0);
    EXPECT_EQ(TitleInFile(cards, addedId), L"New Card");
    EXPECT_EQ(std::wstring(Tree().GetItemText(added).c_str()), L"New Card");

    // Add Card on a card whose branch was never read: the new card comes after its siblings.
    window.reset();
    Start(cards.Path());
    prompts.menuChoice = IDM_ADD_CARD;
    RightClick(PointOf(Tree().GetChildItem(TVI_ROOT)));
    SendMessageW(Tree().GetHandle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(ExpandAll(Tree().GetHandle()).substr(0, 30), L"Work@0 Ideas@1 New Card@1 Jour");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardTreeTest, TreeLinesAreToggledAndRemembered) {
    Start();
    const HWND tree = Tree().GetHandle();
    const bool before = (GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES) != 0;
    Command(IDB_STYLE);
    EXPECT_NE((GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES) != 0, before);
    EXPECT_EQ(window->GetSettings().treeLines, !before);
    Command(IDB_STYLE);
    EXPECT_EQ((GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES) != 0, before);
}

}  // namespace
}  // namespace apptest
