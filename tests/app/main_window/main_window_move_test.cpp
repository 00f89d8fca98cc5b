// "Move to": a card's new parent picked in a dialog, from the tree's menu or
// with Ctrl+Shift+M, moved as a drop moves it and refused as a drop is.

#include <cstring>
#include <string>
#include <vector>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

namespace apptest {
namespace {

class MoveToTest : public MainWindowTest {
protected:
    CardTreeView& Tree() { return window->GetCardTree(); }
    // The file's tree, depth first: "title@depth".
    static std::wstring TreeInFile(const CardFile& cards) {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        const CardTree tree = loadCardTree(database);
        std::wstring text;
        for (unsigned i = 0; i < tree.getCount(); ++i) {
            if (!text.empty()) text += L' ';
            text += std::wstring(tree.getCard(i).title.c_str()) + L"@" + std::to_wstring(tree.getDepth(i));
        }
        return text;
    }
    // The window's tree, every branch opened, in the same form.
    std::wstring TreeShown(HTREEITEM parent = TVI_ROOT, int depth = 0) {
        std::wstring text;
        for (HTREEITEM item = Tree().GetChildItem(parent); item; item = Tree().GetNextItem(item)) {
            SendMessageW(Tree().GetHandle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            if (!text.empty()) text += L' ';
            text += std::wstring(Tree().GetItemText(item).c_str()) + L"@" + std::to_wstring(depth);
            const std::wstring below = TreeShown(item, depth + 1);
            if (!below.empty()) text += L' ' + below;
        }
        return text;
    }
    // Ctrl+Shift+M with the focus in the tree, through the window's own key
    // translation as the message loop runs it.
    void PressMoveKey() {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        MSG msg = {Tree().GetHandle(), WM_KEYDOWN, 'M', 1, 0, {0, 0}};
        if (!window->PreTranslateMessage(&msg)) DispatchMessageW(&msg);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    // A right click on the card, which need not be the selected one, and
    // "Move to" chosen from the tree's menu.
    void MoveFromMenu(CardId id) {
        const HTREEITEM item = window->RevealCard(id);
        SendMessageW(Tree().GetHandle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        RECT rect = {};
        std::memcpy(&rect, &item, sizeof(item));
        SendMessageW(Tree().GetHandle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        POINT screen = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(Tree().GetHandle(), &screen);
        SetCursorPos(screen.x, screen.y);
        prompts.menuChoice = IDM_MOVE_TO;
        NMHDR click = {Tree().GetHandle(), IDC_CARD_TREE, static_cast<UINT>(NM_RCLICK)};
        SendMessageW(window->GetHandle(), WM_NOTIFY, IDC_CARD_TREE, reinterpret_cast<LPARAM>(&click));
        ASSERT_EQ(prompts.menusShown, 1);
    }
};

TEST_F(MoveToTest, TheChosenParentTakesTheCardInTheFileAndTheTreeOrTheMoveIsRefusedAsADrop) {
    enum class Way { Key, Menu };
    enum Target : int64_t { kCancel = -1, kTopLevel = 0, kIdeas = -2, kProjects = -3, kJournal = -4 };
    const struct {
        const char* name;
        Way way;
        CardId CardFile::*card;
        Target target;
        const wchar_t* after;  // the tree in the file and in the window
        bool refused;
        // The window puts a moved card last among its new siblings, as a drop
        // does, where the file's order may differ until the tree is read again.
        const wchar_t* shown = nullptr;
    } cases[] = {
        {"to the top level", Way::Key, &CardFile::ideas, kTopLevel, L"Projects@0 Ideas@0 Journal@0", false,
         L"Projects@0 Journal@0 Ideas@0"},
        {"under another card", Way::Menu, &CardFile::journal, kIdeas, L"Projects@0 Ideas@1 Journal@2", false},
        {"a top-level card under another", Way::Key, &CardFile::projects, kJournal,
         L"Journal@0 Projects@1 Ideas@2", false},
        {"into its own child", Way::Menu, &CardFile::projects, kIdeas, L"Projects@0 Ideas@1 Journal@0", true},
        {"onto itself", Way::Key, &CardFile::projects, kProjects, L"Projects@0 Ideas@1 Journal@0", true},
        {"cancelled", Way::Menu, &CardFile::ideas, kCancel, L"Projects@0 Ideas@1 Journal@0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-app-move-to.data");
        prompts = ScriptedPrompts();
        Start(cards.Path());
        const CardId moved = cards.*c.card;
        const std::wstring title = Tree().GetItemText(window->RevealCard(moved)).c_str();
        switch (c.target) {
        case kIdeas: prompts.moveTarget = cards.ideas; break;
        case kProjects: prompts.moveTarget = cards.projects; break;
        case kJournal: prompts.moveTarget = cards.journal; break;
        default: prompts.moveTarget = c.target;
        }
        if (c.way == Way::Key) {
            ASSERT_TRUE(Tree().SelectItem(window->RevealCard(moved)));
            SetFocus(Tree().GetHandle());
            PressMoveKey();
        } else {
            MoveFromMenu(moved);
        }
        guitest::PumpPending();

        // The dialog named the card and offered the top level of the file.
        ASSERT_EQ(prompts.moveQuestions, std::vector<std::wstring>{title});
        EXPECT_EQ(prompts.moveTopLevel, (std::vector<std::wstring>{L"Projects", L"Journal"}));
        EXPECT_EQ(TreeInFile(cards), c.after);
        EXPECT_EQ(TreeShown(), c.shown ? c.shown : c.after);
        EXPECT_EQ(Tree().GetCount(), 3);
        EXPECT_EQ(Tree().GetDropTarget(), nullptr);
        if (c.refused) {
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text, store::kMoveRefusedMessage);
            EXPECT_EQ(prompts.messages[0].caption, L"Message");
        } else {
            EXPECT_TRUE(prompts.messages.empty());
        }
        // A card that moved stays selected where it went, for the next key.
        if (!c.refused && c.target != kCancel) {
            EXPECT_EQ(Tree().GetCardId(Tree().GetSelectedItem()), moved);
        }
        window.reset();
        guitest::DrainQuit();
    }
}

// A card the dialog offered that is gone by the time the user picks it: the
// move is refused with the store's words, and nothing moves.
TEST_F(MoveToTest, AParentDeletedWhileTheDialogWasOpenIsNoPlaceToGo) {
    CardFile cards(L"vorlen-app-move-gone.data");
    Start(cards.Path());
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        store::deleteCard(database, cards.journal);
    }
    prompts.moveTarget = cards.journal;
    ASSERT_TRUE(Tree().SelectItem(window->RevealCard(cards.ideas)));
    Command(IDM_MOVE_TO);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(L"no card"), std::wstring::npos) << prompts.messages[0].text;
    EXPECT_EQ(TreeInFile(cards), L"Projects@0 Ideas@1");
}

}  // namespace
}  // namespace apptest
