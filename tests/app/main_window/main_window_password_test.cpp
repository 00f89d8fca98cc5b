// The password of the open database: asked for on open, set, changed and
// removed through the dialogs, and never a byte written to a file whose
// password did not check.

#include <algorithm>
#include <fstream>
#include <iterator>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "store/cipher/encrypted_file.h"

namespace apptest {
namespace {

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Encipher(const std::wstring& path, const wchar_t* password) {
    CardDatabase database;
    database.openFile(path.c_str());
    ASSERT_TRUE(database.changeKey(password));
}

bool Enciphered(const std::wstring& path) {
    return isEncryptedFile(path.c_str());
}

std::vector<std::wstring> MessageTexts(const ScriptedPrompts& prompts) {
    std::vector<std::wstring> texts;
    for (const ShownMessage& message : prompts.messages) {
        EXPECT_EQ(message.caption, L"Message");
        texts.push_back(message.text);
    }
    return texts;
}

using Texts = std::vector<std::wstring>;

class MainWindowPasswordTest : public MainWindowTest {
protected:
    // Starts the window on path, answering the password prompt with password
    // (none asked for a plain file).
    void StartWith(const std::wstring& path, const wchar_t* password) {
        prompts.givePassword = password != nullptr;
        prompts.password = password ? password : L"";
        Start(path);
    }
    void SetPassword(const wchar_t* password, const wchar_t* repeat) {
        prompts.giveNewPassword = true;
        prompts.newPassword = NewPasswordEntries{password, repeat};
        Command(IDM_SET_PASSWORD);
    }
    void ChangePassword(const wchar_t* oldPassword, const wchar_t* newPassword, const wchar_t* repeat) {
        prompts.givePasswordChange = true;
        prompts.passwordChange = PasswordChangeEntries{oldPassword, newPassword, repeat};
        Command(IDM_CHANGE_PASSWORD);
    }
};

TEST_F(MainWindowPasswordTest, SetChangeAndRemoveThroughTheDialogsThenReopenWithTheNewPassword) {
    CardFile cards(L"vorlen-password-cycle.data");
    StartWith(cards.Path(), nullptr);
    SetPassword(L"alpha", L"alpha");
    EXPECT_EQ(prompts.newPasswordQuestions, 1);
    EXPECT_TRUE(Enciphered(cards.Path()));
    // Changed at once, the old password asked for is the one just set; a
    // second change takes the first one's password, and a shorter one.
    ChangePassword(L"alpha", L"bravo", L"bravo");
    ChangePassword(L"bravo", L"c", L"c");
    EXPECT_EQ(prompts.passwordChangeQuestions, 2);
    EXPECT_EQ(MessageTexts(prompts), Texts{});
    // An edit saved now is written under the key the file is under.
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Under c"));
    Command(IDM_SAVE);
    window.reset();

    for (const wchar_t* old : {L"alpha", L"bravo", L""}) {
        SCOPED_TRACE(testing::Message() << "old password \"" << old << "\"");
        prompts.messages.clear();
        StartWith(cards.Path(), old);
        EXPECT_EQ(MessageTexts(prompts), Texts{L"Invalid password!"});
        EXPECT_FALSE(window->IsDatabaseOpen());
        window.reset();
    }
    prompts.messages.clear();
    StartWith(cards.Path(), L"c");
    ASSERT_TRUE(window->IsDatabaseOpen());
    // The top level; the branch below Projects is read when it opens.
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);
    // The tree of this window, not of the one before it.
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.journal)));
    EXPECT_EQ(EditorText().substr(0, 7), L"Under c");

    Command(IDM_REMOVE_PASSWORD);
    EXPECT_EQ(MessageTexts(prompts), Texts{L"Password removed!"});
    EXPECT_FALSE(Enciphered(cards.Path()));
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Ideas text");
    // Removed, the database takes a password again without being reopened.
    SetPassword(L"delta", L"delta");
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(Enciphered(cards.Path()));
    window.reset();
    StartWith(cards.Path(), L"delta");
    EXPECT_TRUE(window->IsDatabaseOpen());
}

// The compatibility box decides the file's format for Set and for Change, in
// every direction, and the status line says which one the open file is in;
// a file reopened is read in the format it was written in.
TEST_F(MainWindowPasswordTest, TheCompatibilityChoiceDecidesTheFormatAndTheStatusLineSaysIt) {
    const wchar_t* const kNoPassword = L"No password";
    const wchar_t* const kWeak = L"Password (old format, weak)";
    const wchar_t* const kStrong = L"Password (strong)";
    struct Case {
        bool setCompatible;
        bool changeCompatible;
    };
    const Case cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "set " << (c.setCompatible ? "old" : "new") << ", change to "
                                        << (c.changeCompatible ? "old" : "new"));
        CardFile cards(L"vorlen-password-format.data");
        prompts = ScriptedPrompts();
        StartWith(cards.Path(), nullptr);
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()), kNoPassword);

        prompts.giveNewPassword = true;
        prompts.newPassword = NewPasswordEntries{L"first", L"first", c.setCompatible};
        Command(IDM_SET_PASSWORD);
        const CipherFormat set = c.setCompatible ? CipherFormat::format1 : CipherFormat::format2;
        EXPECT_EQ(fileCipherFormat(cards.Path().c_str()), set);
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()), c.setCompatible ? kWeak : kStrong);

        prompts.givePasswordChange = true;
        prompts.passwordChange = PasswordChangeEntries{L"first", L"second", L"second", c.changeCompatible};
        Command(IDM_CHANGE_PASSWORD);
        const CipherFormat changed = c.changeCompatible ? CipherFormat::format1 : CipherFormat::format2;
        EXPECT_EQ(fileCipherFormat(cards.Path().c_str()), changed);
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()),
                  c.changeCompatible ? kWeak : kStrong);
        EXPECT_EQ(MessageTexts(prompts), Texts{});
        window.reset();

        StartWith(cards.Path(), L"second");
        ASSERT_TRUE(window->IsDatabaseOpen());
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()),
                  c.changeCompatible ? kWeak : kStrong);
        Command(IDM_REMOVE_PASSWORD);
        EXPECT_EQ(fileCipherFormat(cards.Path().c_str()), CipherFormat::plain);
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()), kNoPassword);
        EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Ideas text");
        Command(IDM_CLOSE_DATABASE);
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()), L"");
        window.reset();
    }
}

TEST_F(MainWindowPasswordTest, RefusedEntriesAreToldAndTheFileStaysByteForByteAsItWas) {
    enum Kind { Set, Change, Remove };
    struct Case {
        const char* name;
        const wchar_t* filePassword;  // null: a plain file
        Kind kind;
        bool answer;                  // false: the dialog is cancelled
        NewPasswordEntries set;
        PasswordChangeEntries change;
        Texts messages;
        int dialogs;
    };
    const Case cases[] = {
        {"set on an enciphered file", L"Secret", Set, true, {L"New", L"New"}, {}, {L"Database already encrypted!"}, 0},
        {"set, repeat differs", nullptr, Set, true, {L"New", L"new"}, {}, {L"Password don`t match!!"}, 1},
        {"set, both empty", nullptr, Set, true, {L"", L""}, {}, {L"Password don`t match!!"}, 1},
        {"set cancelled", nullptr, Set, false, {L"New", L"New"}, {}, {}, 1},
        {"change on a plain file", nullptr, Change, true, {}, {L"", L"New", L"New"}, {L"Database not encrypted!"}, 0},
        {"change, wrong old", L"Secret", Change, true, {}, {L"secret", L"New", L"New"},
         {L"Old password don`t match!"}, 1},
        {"change, same as old", L"Secret", Change, true, {}, {L"Secret", L"Secret", L"Other"},
         {L"New password is same as the old one!"}, 1},
        {"change, empty new", L"Secret", Change, true, {}, {L"Secret", L"", L"New"},
         {L"You must set a nonempty password!"}, 1},
        {"change, repeat differs", L"Secret", Change, true, {}, {L"Secret", L"New", L"New "},
         {L"Password mismatch!"}, 1},
        {"change cancelled", L"Secret", Change, false, {}, {L"Secret", L"New", L"New"}, {}, 1},
        {"remove on a plain file", nullptr, Remove, true, {}, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-password-refused.data");
        if (c.filePassword) Encipher(cards.Path(), c.filePassword);
        prompts = ScriptedPrompts();
        StartWith(cards.Path(), c.filePassword);
        ASSERT_TRUE(window->IsDatabaseOpen());
        const std::string before = FileBytes(cards.Path());

        prompts.giveNewPassword = prompts.givePasswordChange = c.answer;
        prompts.newPassword = c.set;
        prompts.passwordChange = c.change;
        Command(c.kind == Set ? IDM_SET_PASSWORD : c.kind == Change ? IDM_CHANGE_PASSWORD : IDM_REMOVE_PASSWORD);
        EXPECT_EQ(MessageTexts(prompts), c.messages);
        EXPECT_EQ(prompts.newPasswordQuestions + prompts.passwordChangeQuestions, c.dialogs);
        window.reset();
        EXPECT_EQ(FileBytes(cards.Path()), before);
    }
}

// A folder where the rekey writes its journal: the rekey cannot begin.
class JournalBlocker {
public:
    explicit JournalBlocker(const std::wstring& databasePath) : path(databasePath + L"-journal") {
        created = CreateDirectoryW(path.c_str(), nullptr) != FALSE;
    }
    JournalBlocker(const JournalBlocker&) = delete;
    JournalBlocker& operator=(const JournalBlocker&) = delete;
    ~JournalBlocker() { RemoveDirectoryW(path.c_str()); }

    bool created;

private:
    std::wstring path;
};

TEST_F(MainWindowPasswordTest, AFailedRekeyLeavesThePasswordThatTheFileIsStillUnder) {
    struct Case {
        const char* name;
        const wchar_t* filePassword;
        int command;
        // Setting a password first rebuilds the plain file through the
        // engine, which says it could not open its own journal.
        bool rebuilds;
    };
    const Case cases[] = {
        {"set", nullptr, IDM_SET_PASSWORD, true},
        {"change", L"Secret", IDM_CHANGE_PASSWORD, false},
        {"remove", L"Secret", IDM_REMOVE_PASSWORD, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-password-blocked.data");
        if (c.filePassword) Encipher(cards.Path(), c.filePassword);
        prompts = ScriptedPrompts();
        StartWith(cards.Path(), c.filePassword);
        ASSERT_TRUE(window->IsDatabaseOpen());
        const std::string before = FileBytes(cards.Path());
        prompts.giveNewPassword = prompts.givePasswordChange = true;
        prompts.newPassword = NewPasswordEntries{L"New", L"New"};
        prompts.passwordChange = PasswordChangeEntries{L"Secret", L"New", L"New"};
        {
            JournalBlocker blocker(cards.Path());
            ASSERT_TRUE(blocker.created);
            // A second attempt fails alike: the window still knows the key the
            // file is under, and is not told that it was changed.
            Command(c.command);
            Command(c.command);
        }
        // The message says what stood in the way.
        kiln::qstd::QString denied;
        denied.FormatSystemError(ERROR_ACCESS_DENIED);
        denied.Trim();
        const std::wstring blocked =
            c.rebuilds ? L"Rekey error!\nThe database could not be rebuilt for the new format: unable to open "
                         L"database file."
                       : std::wstring(L"Rekey error!\nThe journal beside the database could not be created: ") +
                             denied.c_str();
        EXPECT_EQ(MessageTexts(prompts), (Texts{blocked, blocked}));
        EXPECT_EQ(FileBytes(cards.Path()), before);
        window.reset();
    }
}

// Rewriting every page runs behind the progress dialog, captioned as the
// command; Cancel at any moment, while the old pages go into the journal or
// while the new ones are written, leaves the file under the key it had, says
// nothing alarming, and the window goes on writing under that key.
TEST_F(MainWindowPasswordTest, APasswordCommandShowsItsProgressAndItsCancelLeavesTheKeyAsItWas) {
    CardFile cards(L"vorlen-password-progress.data");
    StartWith(cards.Path(), nullptr);
    ASSERT_TRUE(window->IsDatabaseOpen());
    SetPassword(L"alpha", L"alpha");
    ASSERT_TRUE(Enciphered(cards.Path()));
    // A backup goes first.
    EXPECT_EQ(prompts.progressCaptions, (Texts{L"Backup", L"Set password"}));
    EXPECT_EQ(prompts.lastPermille, 1000u);
    const int reports = static_cast<int>(
        std::count(prompts.progressTexts.begin(), prompts.progressTexts.end(), L"Enciphering the cards..."));
    // The derivation of the key, then every page twice: many reports.
    ASSERT_GE(reports, 6);
    EXPECT_EQ(prompts.progressTexts.back(), L"Enciphering the cards...");
    window.reset();

    struct Case {
        const char* name;
        int command;
        const wchar_t* caption;
        const wchar_t* filePassword;  // what the file is under; null for plain
        int cancelAt;
    };
    const Case cases[] = {
        {"set, before the first page", IDM_SET_PASSWORD, L"Set password", nullptr, 1},
        {"set, in the journal", IDM_SET_PASSWORD, L"Set password", nullptr, reports / 3},
        {"set, writing the new pages", IDM_SET_PASSWORD, L"Set password", nullptr, reports * 3 / 4},
        {"change, writing the new pages", IDM_CHANGE_PASSWORD, L"Change password", L"alpha", reports * 3 / 4},
        {"remove, on the last report", IDM_REMOVE_PASSWORD, L"Remove password", L"alpha", reports - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile file(L"vorlen-password-cancel.data");
        if (c.filePassword) Encipher(file.Path(), c.filePassword);
        prompts = ScriptedPrompts();
        StartWith(file.Path(), c.filePassword);
        ASSERT_TRUE(window->IsDatabaseOpen());
        // A word typed just before goes under the old key.
        ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(file.journal)));
        SendMessageW(window->GetTabs().GetActiveEditor()->GetEditor().GetHandle(), EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(L"Before "));
        prompts.giveNewPassword = prompts.givePasswordChange = true;
        prompts.newPassword = NewPasswordEntries{L"New", L"New"};
        prompts.passwordChange = PasswordChangeEntries{L"alpha", L"New", L"New"};
        prompts.cancelAtReport = c.cancelAt;
        prompts.cancelOnlyIn = c.caption;
        Command(c.command);
        EXPECT_EQ(MessageTexts(prompts), Texts{});
        EXPECT_EQ(std::wstring(window->GetStatusBar().GetStatus().c_str()), L"  The password was left as it was.");
        EXPECT_EQ(Enciphered(file.Path()), c.filePassword != nullptr);
        // The connection still writes, under the key the file is under.
        SendMessageW(window->GetTabs().GetActiveEditor()->GetEditor().GetHandle(), EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(L"after "));
        Command(IDM_SAVE);
        window.reset();
        CardDatabase stored;
        stored.openFile(file.Path().c_str());
        if (c.filePassword) {
            ASSERT_TRUE(stored.applyKey(c.filePassword));
        }
        EXPECT_EQ(std::wstring(store::loadCardText(stored, file.journal).c_str()).substr(0, 13), L"Before after ");
    }
}

TEST_F(MainWindowPasswordTest, WithoutADatabaseThePasswordCommandsAskForOne) {
    CardFile cards(L"vorlen-password-closed.data");
    StartWith(cards.Path(), nullptr);
    Command(IDM_CLOSE_DATABASE);
    prompts.giveNewPassword = prompts.givePasswordChange = true;
    for (int command : {IDM_SET_PASSWORD, IDM_CHANGE_PASSWORD, IDM_REMOVE_PASSWORD}) Command(command);
    EXPECT_EQ(MessageTexts(prompts),
              (Texts{L"Open a database first!", L"Open a database first!", L"Open a database first!"}));
    EXPECT_EQ(prompts.newPasswordQuestions + prompts.passwordChangeQuestions, 0);
}

TEST_F(MainWindowPasswordTest, APlainDatabaseOpenedAfterAnEncipheredOneHasNoPassword) {
    CardFile enciphered(L"vorlen-password-first.data");
    Encipher(enciphered.Path(), L"Secret");
    CardFile plain(L"vorlen-password-second.data");
    StartWith(enciphered.Path(), L"Secret");
    prompts.openPath = plain.Path();
    Command(IDM_OPEN_DATABASE);
    ASSERT_EQ(std::wstring(window->GetDatabasePath().c_str()), plain.Path());
    ChangePassword(L"Secret", L"New", L"New");
    EXPECT_EQ(MessageTexts(prompts), Texts{L"Database not encrypted!"});
    EXPECT_EQ(prompts.passwordChangeQuestions, 0);
    prompts.giveNewPassword = false;
    Command(IDM_SET_PASSWORD);
    EXPECT_EQ(prompts.newPasswordQuestions, 1);
}

TEST_F(MainWindowPasswordTest, AFailedOpenClosesItsConnectionAndNothingIsWrittenToTheFile) {
    CardFile enciphered(L"vorlen-password-wrong.data");
    Encipher(enciphered.Path(), L"Secret");
    // Not a card database at all, but long enough to be taken for an enciphered one.
    const std::wstring text = TempPath(L"vorlen-password-text.data");
    {
        std::ofstream file(text.c_str(), std::ios::binary);
        for (int i = 0; i < 20; ++i) file << "A line of plain text.\r\n";
    }
    struct Case {
        const char* name;
        std::wstring path;
        const wchar_t* password;
    };
    const Case cases[] = {
        {"wrong password", enciphered.Path(), L"Wrong password"},
        {"empty password", enciphered.Path(), L""},
        {"text file", text, L"Secret"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = FileBytes(c.path);
        prompts = ScriptedPrompts();
        StartWith(c.path, c.password);
        EXPECT_EQ(prompts.passwordQuestions, 1);
        EXPECT_EQ(MessageTexts(prompts), Texts{L"Invalid password!"});
        EXPECT_FALSE(window->IsDatabaseOpen());
        EXPECT_EQ(window->GetCardTree().GetCount(), 0);
        EXPECT_TRUE(IsWindowVisible(window->GetWelcomeBrowser().GetHandle()));

        // Whatever the user tries next writes nothing into the file.
        prompts.messages.clear();
        Command(IDM_ADD_CARD);
        const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Typed"));
        SendMessageW(editor, EM_SETMODIFY, TRUE, 0);
        Command(IDM_SAVE);
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.messages.back().text, L"Please open or create a new database!");
        EXPECT_EQ(window->GetCardTree().GetCount(), 0);
        EXPECT_EQ(FileBytes(c.path), before);
        // The window holds the file no longer: it can be moved away.
        const std::wstring moved = c.path + L".moved";
        EXPECT_TRUE(MoveFileW(c.path.c_str(), moved.c_str()));
        MoveFileW(moved.c_str(), c.path.c_str());
        window.reset();
        EXPECT_EQ(FileBytes(c.path), before);
    }
    DeleteFileW(text.c_str());
}

}  // namespace
}  // namespace apptest
