// Export through the window: the editor's content as it stands, saved or
// not, as RTF or as a Word document, and a status line that never claims a
// file that was not written.

#include <algorithm>
#include <fstream>
#include <iterator>

#include "documents/office_text.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace apptest {
namespace {

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class MainWindowExportTest : public MainWindowTest {
protected:
    // Shows the Ideas card and types into it without saving.
    void StartOnEditedCard(const CardFile& cards) {
        Start(cards.Path());
        ASSERT_TRUE(window->IsDatabaseOpen());
        ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.ideas)));
        const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
        SendMessageW(editor, EM_SETSEL, 0, 0);
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Unsaved words. "));
    }
    std::string EditorRtf() {
        QBuffer rtf;
        EXPECT_TRUE(window->GetTabs().GetActiveEditor()->GetRtf(rtf));
        return std::string(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount());
    }
    std::wstring Status() { return window->GetStatusBar().GetStatus().c_str(); }
};

TEST_F(MainWindowExportTest, BothCommandsWriteTheEditorsRtfOrAWordDocumentByTheNamesEnding) {
    struct Case {
        const char* name;
        int command;
        const wchar_t* file;
    };
    const Case cases[] = {
        {"menu, RTF", IDM_EXPORT, L"vorlen-export.rtf"},
        {"tree menu, RTF", IDM_TREE_EXPORT, L"vorlen-export.docx.rtf"},
        {"menu, Word", IDM_EXPORT, L"vorlen-export.DOCX"},
        {"tree menu, Word", IDM_TREE_EXPORT, L"vorlen-export.docx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-export.data");
        prompts = ScriptedPrompts();
        StartOnEditedCard(cards);
        const std::wstring path = TempPath(c.file);
        // An existing file is replaced.
        std::ofstream(path.c_str(), std::ios::binary) << "an older export, longer than nothing";
        prompts.savePath = path;
        Command(c.command);

        EXPECT_EQ(prompts.saveKinds, std::vector<SavePathKind>{SavePathKind::Export});
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(Status(), L"  Exported to file: " + path);
        const std::wstring name = c.file;
        if (name.size() >= 5 && _wcsicmp(name.c_str() + name.size() - 5, L".docx") == 0) {
            QString text;
            ASSERT_TRUE(ExtractOfficeText(path.c_str(), text));
            const std::wstring words = text.c_str();
            EXPECT_NE(words.find(L"Unsaved words. Ideas text"), std::wstring::npos) << "read back: " << text.c_str();
        } else {
            EXPECT_EQ(FileBytes(path), EditorRtf());
        }
        // Export does not save the card.
        EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Ideas text");
        window.reset();
        DeleteFileW(path.c_str());
    }
}

// The selected card's branch, with the shown card's unsaved words; the
// cards outside the branch stay out.
TEST_F(MainWindowExportTest, ExportBranchWritesTheSelectedCardAndItsChildrenAsOnePage) {
    CardFile cards(L"vorlen-export-branch.data");
    StartOnEditedCard(cards);
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.projects)));
    const std::wstring path = TempPath(L"vorlen-branch.html");
    DeleteFileW(path.c_str());
    prompts.savePath = path;
    Command(IDM_EXPORT_BRANCH);
    EXPECT_EQ(prompts.saveKinds, std::vector<SavePathKind>{SavePathKind::Branch});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(Status(), L"  Exported to file: " + path);
    const std::string html = FileBytes(path);
    const size_t projects = html.find("<h1>Projects</h1>");
    const size_t ideas = html.find("<h2>Ideas</h2>");
    EXPECT_NE(projects, std::string::npos) << html;
    EXPECT_GT(ideas, projects);
    EXPECT_NE(html.find("Unsaved words. Ideas text", ideas), std::string::npos) << html;
    EXPECT_EQ(html.find("Journal"), std::string::npos);
    DeleteFileW(path.c_str());
}

TEST_F(MainWindowExportTest, AFailedExportSaysSoAndWritesNothing) {
    CardFile cards(L"vorlen-export.data");
    StartOnEditedCard(cards);
    const char* const kinds[] = {"rtf", "docx"};
    const wchar_t* const files[] = {L"vorlen-no-such-folder\\card.rtf", L"vorlen-no-such-folder\\card.docx"};
    for (unsigned i = 0; i < 2; ++i) {
        const wchar_t* file = files[i];
        SCOPED_TRACE(kinds[i]);
        prompts.messages.clear();
        const std::wstring path = TempPath(file);
        prompts.savePath = path;
        Command(IDM_EXPORT);
        EXPECT_EQ(Status().rfind(L"  Export failed: ", 0), 0u) << "status: " << Status();
        EXPECT_GT(Status().size(), std::wstring(L"  Export failed: ").size());
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, L"Message");
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // A cancelled dialog exports nothing and says nothing.
    const std::wstring statusBefore = Status();
    prompts.savePath.clear();
    prompts.messages.clear();
    Command(IDM_EXPORT);
    EXPECT_EQ(Status(), statusBefore);
    EXPECT_TRUE(prompts.messages.empty());
}

// Many cards below Projects, each with a word of its own: enough that the
// export reports its way through them.
void AddManyCards(const CardFile& cards, int count) {
    CardDatabase database;
    database.openFile(cards.Path().c_str());
    const std::string sql =
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count - 1) +
        ") INSERT INTO tab (title, parent, position, txt, rtf) SELECT 'Card ' || i, " +
        std::to_string(cards.projects) + ", '', 'word' || i, '{\\rtf1\\ansi word' || i || '\\par}' FROM n";
    database.execute(sql.c_str());
}

TEST_F(MainWindowExportTest, ALargeBranchIsExportedBehindTheProgressDialogToTheEnd) {
    CardFile cards(L"vorlen-export-large.data");
    AddManyCards(cards, 300);
    Start(cards.Path());
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.projects)));
    const std::wstring path = TempPath(L"vorlen-large-branch.html");
    DeleteFileW(path.c_str());
    prompts.savePath = path;
    Command(IDM_EXPORT_BRANCH);

    EXPECT_EQ(prompts.progressCaptions, std::vector<std::wstring>{L"Export branch"});
    EXPECT_FALSE(prompts.progressOpen);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(Status(), L"  Exported to file: " + path);
    // A report for every card read, rising, then one for the writing.
    ASSERT_GE(prompts.progressTexts.size(), 302u);
    EXPECT_NE(std::find(prompts.progressTexts.begin(), prompts.progressTexts.end(), L"Reading cards: 150 of 302"),
              prompts.progressTexts.end());
    EXPECT_EQ(prompts.progressTexts.back(), L"Writing the file...");
    EXPECT_EQ(prompts.lastPermille, 800u);
    const std::string html = FileBytes(path);
    size_t at = html.find("<h1>Projects</h1>");
    ASSERT_NE(at, std::string::npos);
    for (int i = 0; i < 300; ++i) {
        at = html.find("Card " + std::to_string(i) + "</h2>", at);
        ASSERT_NE(at, std::string::npos) << "card " << i;
        EXPECT_NE(html.find("word" + std::to_string(i) + "<", at), std::string::npos) << "card " << i;
    }
    DeleteFileW(path.c_str());
}

// Cancel while the cards are read, and at the last moment before the file is
// written: no file is made, an older one keeps its bytes.
TEST_F(MainWindowExportTest, ACancelledBranchExportLeavesNoFileAndAnOlderOneAsItWas) {
    CardFile cards(L"vorlen-export-cancel.data");
    AddManyCards(cards, 200);
    struct Case {
        const char* name;
        const wchar_t* file;
        bool older;
        int cancelAt;
    };
    const Case cases[] = {
        {"midway, new file", L"vorlen-cancelled.html", false, 100},
        {"midway, older file", L"vorlen-cancelled.docx", true, 100},
        {"before the writing, older file", L"vorlen-cancelled-late.html", true, 203},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts = ScriptedPrompts();
        Start(cards.Path());
        ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.projects)));
        const std::wstring path = TempPath(c.file);
        DeleteFileW(path.c_str());
        const std::string older = "an older export that stays";
        if (c.older) std::ofstream(path.c_str(), std::ios::binary) << older;
        prompts.savePath = path;
        prompts.cancelAtReport = c.cancelAt;
        Command(IDM_EXPORT_BRANCH);

        EXPECT_EQ(prompts.countedReports, c.cancelAt + 1);
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(Status(), L"  Export cancelled.");
        if (c.older) {
            EXPECT_EQ(FileBytes(path), older);
        } else {
            EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        window.reset();
        DeleteFileW(path.c_str());
    }
}

}  // namespace
}  // namespace apptest
