// vorlen-cli run as a separate process on real files: what it prints, its
// exit status, and that a refused command leaves the file as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_process.h"
#include "zip_builder.h"
#include "core/qbuffer.h"
#include "store/card_database.h"
#include "store/card_operations.h"

using kiln::qstd::QBuffer;

namespace {

std::wstring tempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + name;
}

std::string readFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
    CloseHandle(file);
    return bytes;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        path = tempPath(L"vorlen-cli-Kärtchen.data");
        DeleteFileW(path.c_str());
    }
    void TearDown() override { DeleteFileW(path.c_str()); }

    // Runs a command that must succeed and returns its standard output.
    std::string ok(std::vector<std::wstring> arguments) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(0u, run.exitCode) << run.err;
        EXPECT_EQ("", run.err);
        return run.out;
    }

    // A family: 1 "Projects" holding 2 "Vorlen" (holding 4 "Notes"), then 3 "Ideas".
    void buildFamily() {
        ok({L"create", path});
        ok({L"add", path, L"--title", L"Projects"});
        ok({L"add", path, L"--parent", L"1", L"--title", L"Vorlen"});
        ok({L"add", path, L"--title", L"Ideas"});
        ok({L"add", path, L"--parent", L"2", L"--title", L"Notes"});
    }

    std::wstring path;
};

TEST_F(Companion, BuildsAndShowsATreeOfCards) {
    EXPECT_EQ("", ok({L"create", path}));
    EXPECT_EQ("1\n", ok({L"add", path, L"--title", L"  Projekte  "}));
    EXPECT_EQ("2\n", ok({L"add", path, L"--parent", L"1", L"--title", L"Карточка «один»"}));
    EXPECT_EQ("3\n", ok({L"add", path}));
    EXPECT_EQ("4\n", ok({L"add", path, L"--title", L"卡片", L"--parent", L"2"}));

    EXPECT_EQ(utf8(L"1\tProjekte\n  2\tКарточка «один»\n    4\t卡片\n3\t\n"), ok({L"tree", path}));

    ok({L"rename", path, L"3", L"\tIdeas "});
    ok({L"move", path, L"4", L"3"});
    EXPECT_EQ(utf8(L"1\tProjekte\n  2\tКарточка «один»\n3\tIdeas\n  4\t卡片\n"), ok({L"tree", path}));

    ok({L"move", path, L"2", L"0"});
    ok({L"delete", path, L"3"});
    EXPECT_EQ(utf8(L"1\tProjekte\n2\tКарточка «один»\n"), ok({L"tree", path}));

    ok({L"delete-all", path});
    EXPECT_EQ("", ok({L"tree", path}));
    EXPECT_EQ("1\n", ok({L"add", path}));
}

TEST_F(Companion, SearchesAndShowsStoredContent) {
    buildFamily();
    const std::string rtf("{\\rtf1\\ansi 50% it's\\par\r\n}\0\xff", 28);
    {
        CardDatabase database;
        database.openFile(path.c_str());
        QBuffer bytes;
        bytes.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
        database.saveCardContent(L"50% it's — ä\r\nline two", bytes, 4);
    }

    EXPECT_EQ(rtf, ok({L"show", path, L"4", L"--rtf"}));
    EXPECT_EQ(utf8(L"50% it's — ä\r\nline two"), ok({L"show", path, L"--text", L"4"}));
    EXPECT_EQ("", ok({L"show", path, L"3", L"--rtf"}));

    EXPECT_EQ("4\tNotes\n", ok({L"search", path, L"it's"}));
    EXPECT_EQ("4\tNotes\n", ok({L"search", path, L"50%"}));
    EXPECT_EQ("", ok({L"search", path, L"50 %"}));
    EXPECT_EQ("1\tProjects\n", ok({L"search", path, L"proj"}));
    EXPECT_EQ("4\tNotes\n", ok({L"search", path, L"— ä"}));
    EXPECT_EQ("", ok({L"search", path, L"— Ä"}));
}

TEST_F(Companion, CreateRefusesAnExistingFileUnlessForced) {
    buildFamily();
    const std::string before = readFile(path);
    const CliRun run = runCli({L"create", path});
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ("Cannot create \"" + utf8(path) + "\": the file exists; give --force to replace it.\n", run.err);
    EXPECT_EQ(before, readFile(path));

    ok({L"create", path, L"--force"});
    EXPECT_EQ("", ok({L"tree", path}));
}

// Rows written straight into the file, with ids of the file's full 64 bits.
TEST_F(Companion, IdsBeyond32BitsNameExactlyTheirCards) {
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    database.execute("INSERT INTO tab VALUES (5, 'five', 0, '', '', ''), (6, 'six', 0, '', '', ''), "
                     "(2147483647, 'last', 0, '', '', '')");
    EXPECT_EQ("2147483648\n", ok({L"add", path, L"--title", L"NEW"}));
    database.execute("INSERT INTO tab VALUES (4294967301, 'big', 0, '', '', ''), "
                     "(4294967302, 'below big', 4294967301, '', '', '')");
    database.close();
    ok({L"delete", path, L"5"});
    ok({L"rename", path, L"4294967302", L"renamed"});
    EXPECT_EQ("6\tsix\n2147483647\tlast\n2147483648\tNEW\n4294967301\tbig\n  4294967302\trenamed\n",
              ok({L"tree", path}));
    EXPECT_EQ("4294967302\trenamed\n", ok({L"search", path, L"ren"}));
}

// Ids below zero are ids of the file like any other; and a file whose
// largest id has been given out says so when it can take no more.
TEST_F(Companion, EveryIdTheFileHoldsNamesItsCard) {
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    database.execute("INSERT INTO tab VALUES (-3, 'minus three', 0, '', '', ''), "
                     "(-9223372036854775808, 'lowest', -3, '', '', '')");
    database.close();
    EXPECT_EQ("-3\tminus three\n  -9223372036854775808\tlowest\n", ok({L"tree", path}));
    ok({L"rename", path, L"-3", L"renamed"});
    EXPECT_EQ("1\n", ok({L"add", path, L"--parent", L"-3", L"--title", L"child"}));
    ok({L"move", path, L"-9223372036854775808", L"0"});
    EXPECT_EQ("", ok({L"show", path, L"-3", L"--text"}));
    EXPECT_EQ("-9223372036854775808\tlowest\n-3\trenamed\n  1\tchild\n", ok({L"tree", path}));
    ok({L"delete", path, L"-3"});
    EXPECT_EQ("-9223372036854775808\tlowest\n", ok({L"tree", path}));

    database.openFile(path.c_str());
    database.execute("INSERT INTO tab VALUES (9223372036854775807, 'last', 0, '', '', '')");
    database.execute("DELETE FROM tab WHERE id = 9223372036854775807");
    database.close();
    const std::string before = readFile(path);
    const CliRun full = runCli({L"add", path, L"--title", L"one more"});
    EXPECT_EQ(1u, full.exitCode);
    EXPECT_EQ("No card can be added: the file has given out its last card id, 9223372036854775807.\n", full.err);
    EXPECT_EQ(before, readFile(path));
}

// The tree leaves out cards below a missing card or in a cycle; lost lists
// them, rescue brings them back, and no move may hide another card there.
TEST_F(Companion, LostCardsAreListedRescuedAndNeverJoined) {
    buildFamily();
    {
        CardDatabase database;
        database.openFile(path.c_str());
        database.execute("INSERT INTO tab VALUES (7, 'orphan', 40, '', '', ''), (8, 'loop a', 9, '', '', ''), "
                         "(9, 'loop b', 8, '', '', '')");
    }
    const std::string tree = ok({L"tree", path});
    EXPECT_EQ("7\torphan\n8\tloop a\n9\tloop b\n", ok({L"lost", path}));

    const std::string before = readFile(path);
    for (const wchar_t* hidden : {L"7", L"9"}) {
        // Neither a card moved there nor a new card would be seen again.
        for (const std::vector<std::wstring>& arguments :
             {std::vector<std::wstring>{L"move", path, L"3", hidden},
              std::vector<std::wstring>{L"add", path, L"--parent", hidden, L"--title", L"unseen"}}) {
            const CliRun run = runCli(arguments);
            EXPECT_EQ(1u, run.exitCode);
            EXPECT_EQ("The card " + utf8(hidden) +
                          " cannot take other cards: the tree does not show it, because it lies below a missing card "
                          "or in a cycle of cards.\n",
                      run.err);
        }
    }
    EXPECT_EQ(before, readFile(path));

    EXPECT_EQ("10\n", ok({L"rescue", path}));
    EXPECT_EQ("", ok({L"lost", path}));
    EXPECT_EQ(tree + "10\tRecovered cards\n  7\torphan\n  9\tloop b\n    8\tloop a\n", ok({L"tree", path}));
    EXPECT_EQ("", ok({L"rescue", path}));
}

// An existing file is replaced only when asked for, and only by a whole new
// one; names of devices and folders are refused.
TEST_F(Companion, ExportNeverDestroysAnExistingFileUnasked) {
    buildFamily();
    const std::wstring other = tempPath(L"vorlen-cli-other.data");
    const std::wstring exported = tempPath(L"vorlen-cli-export.rtf");
    const std::wstring device = tempPath(L"NUL.docx");
    const std::wstring folder = tempPath(L"vorlen-cli-export-folder");
    DeleteFileW(exported.c_str());
    CreateDirectoryW(folder.c_str(), nullptr);
    ok({L"create", other, L"--force"});
    ok({L"add", other, L"--title", L"Kept"});
    const ziptest::TempFile text("Exported words", L".txt");
    ok({L"put", path, L"2", text.Path()});
    EXPECT_EQ("", ok({L"export", path, L"2", exported}));
    const std::string first = readFile(exported);
    EXPECT_EQ(0u, first.rfind("{\\rtf", 0)) << first;

    const std::string otherBefore = readFile(other);
    const struct {
        std::wstring file;
        std::string message;
    } cases[] = {
        {exported, "Cannot export to \"" + utf8(exported) + "\": the file exists; give --force to replace it."},
        {other, "Cannot export to \"" + utf8(other) + "\": the file exists; give --force to replace it."},
        {folder, "\"vorlen-cli-export-folder\" is a folder."},
        {device, "\"NUL.docx\" is a name Windows keeps for a device; choose another name."},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli({L"export", path, L"2", c.file});
        EXPECT_EQ(1u, run.exitCode) << c.message;
        EXPECT_EQ(c.message + "\n", run.err);
    }
    EXPECT_EQ(first, readFile(exported));
    EXPECT_EQ(otherBefore, readFile(other));
    EXPECT_EQ("1\tKept\n", ok({L"tree", other}));

    // Card 3 was never written to: the file it replaces is empty.
    ok({L"export", path, L"3", exported, L"--force"});
    EXPECT_EQ("", readFile(exported));
    DeleteFileW(exported.c_str());
    DeleteFileW(other.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(Companion, ControlCharactersInTitlesArePrintedEscaped) {
    ok({L"create", path});
    ok({L"add", path, L"--title", L"two\nlines\tand \x1b[31mred\x1b[0m \u009b C:\\dir"});
    const std::string line = "1\ttwo\\nlines\\tand \\x1B[31mred\\x1B[0m \\x9B C:\\\\dir\n";
    EXPECT_EQ(line, ok({L"tree", path}));
    EXPECT_EQ(line, ok({L"search", path, L"two"}));
}

TEST_F(Companion, RefusalsExplainThemselvesAndChangeNothing) {
    buildFamily();
    const std::wstring text = tempPath(L"vorlen-cli-notes.txt");
    writeFile(text, "These are plain notes, not a card database at all.\r\n");
    const std::wstring plain = tempPath(L"vorlen-cli-plain.db");
    DeleteFileW(plain.c_str());
    {
        CardDatabase other;
        other.openUtf8(utf8(plain).c_str(), true);
        other.execute("CREATE TABLE something (x)");
    }
    const std::wstring missing = tempPath(L"vorlen-cli-missing.data");
    DeleteFileW(missing.c_str());

    const struct {
        std::vector<std::wstring> arguments;
        std::wstring file;
        std::string message;
    } cases[] = {
        {{L"move", path, L"1", L"4"}, path, "You can't put parent node into it's childs!\n"},
        {{L"move", path, L"2", L"2"}, path, "You can't put parent node into it's childs!\n"},
        {{L"move", path, L"2", L"9"}, path, "There is no card with the id 9.\n"},
        {{L"rename", path, L"9", L"x"}, path, "There is no card with the id 9.\n"},
        {{L"delete", path, L"9"}, path, "There is no card with the id 9.\n"},
        {{L"add", path, L"--parent", L"9"}, path, "There is no card with the id 9.\n"},
        {{L"show", path, L"9", L"--text"}, path, "There is no card with the id 9.\n"},
        {{L"tree", missing}, missing, "Cannot open \"" + utf8(missing) + "\": the file does not exist.\n"},
        {{L"delete-all", text}, text,
         "Cannot open \"" + utf8(text) + "\" as a card database: file is not a database\n"},
        {{L"add", plain}, plain, "Cannot open \"" + utf8(plain) + "\" as a card database: no such table: tab\n"},
    };
    for (const auto& c : cases) {
        const std::string before = readFile(c.file);
        const CliRun run = runCli(c.arguments);
        const std::string command = utf8(c.arguments[0]);
        EXPECT_EQ(1u, run.exitCode) << command;
        EXPECT_EQ(c.message, run.err) << command;
        EXPECT_EQ("", run.out) << command;
        EXPECT_EQ(before, readFile(c.file)) << command << " changed the file";
    }
    DeleteFileW(text.c_str());
    DeleteFileW(plain.c_str());
}

// The user's read-only mark holds even where the system would let a write
// through (an administrator); reading still works.
TEST_F(Companion, ARefusalOnAReadOnlyFileSaysItIsReadOnly) {
    buildFamily();
    const ziptest::TempFile text("new content", L".txt");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string changing = "Cannot change \"" + utf8(path) + "\": the file is read-only.\n";
    const struct {
        std::vector<std::wstring> arguments;
        std::string message;
    } cases[] = {
        {{L"add", path, L"--title", L"x"}, changing},
        {{L"rename", path, L"1", L"x"}, changing},
        {{L"move", path, L"3", L"1"}, changing},
        {{L"delete", path, L"3"}, changing},
        {{L"delete-all", path}, changing},
        {{L"put", path, L"2", text.Path()}, changing},
        {{L"rescue", path}, changing},
        {{L"password", L"set", path}, changing},
        {{L"create", path, L"--force"}, "Cannot create \"" + utf8(path) + "\": the file is read-only.\n"},
    };
    const std::string before = readFile(path);
    for (const auto& c : cases) {
        const std::string command = utf8(c.arguments[0]);
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(1u, run.exitCode) << command;
        EXPECT_EQ(c.message, run.err) << command;
        EXPECT_TRUE(before == readFile(path)) << command << " changed the file";
    }
    EXPECT_EQ("1\tProjects\n  2\tVorlen\n    4\tNotes\n3\tIdeas\n", ok({L"tree", path}));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Companion, UsageErrorsTouchNoFile) {
    buildFamily();
    const struct {
        std::vector<std::wstring> arguments;
        std::string message;
    } cases[] = {
        {{}, "No command given."},
        {{L"list", path}, "Unknown command: list"},
        {{L"--verbose", L"tree", path}, "Unknown option: --verbose"},
        {{L"tree"}, "Wrong number of arguments."},
        {{L"rename", path, L"1"}, "Wrong number of arguments."},
        {{L"delete", path, L"one"}, "Not a card id: one"},
        {{L"delete", path, L"1-2"}, "Not a card id: 1-2"},
        {{L"delete", path, L"-"}, "Not a card id: -"},
        {{L"delete", path, L"-9223372036854775809"}, "Not a card id: -9223372036854775809"},
        {{L"move", path, L"1", L"9223372036854775808"}, "Not a card id: 9223372036854775808"},
        {{L"add", path, L"--parent"}, "The option --parent needs a value."},
        {{L"add", path, L"--colour", L"red"}, "Unknown option: --colour"},
        {{L"show", path, L"1"}, "Give either --rtf or --text."},
        {{L"show", path, L"1", L"--rtf", L"--text"}, "Give either --rtf or --text."},
    };
    const std::string before = readFile(path);
    for (const auto& c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(2u, run.exitCode) << c.message;
        EXPECT_EQ(0u, run.err.find(c.message + "\n")) << run.err;
        EXPECT_NE(std::string::npos, run.err.find("Usage: vorlen-cli")) << c.message;
    }
    EXPECT_EQ(before, readFile(path));
}

TEST_F(Companion, ATitleMayBeginWithDashesAfterTheEndOfOptions) {
    buildFamily();
    ok({L"rename", path, L"3", L"--", L"--draft--"});
    EXPECT_EQ("3\t--draft--\n", ok({L"search", path, L"--", L"--d"}));
}

TEST_F(Companion, HelpGoesToStandardOutput) {
    const CliRun run = runCli({L"--help"});
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find("show DB ID --rtf|--text"));
}

TEST(CommandLineQuoting, KeepsEveryWordIntact) {
    const std::vector<std::wstring> words{L"plain", L"two words", L"", L"say \"hi\"", L"C:\\dir\\", L"a\\\\\"b"};
    const std::wstring line = L"program " + quoteArguments(words);
    int count = 0;
    wchar_t** parsed = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_EQ(static_cast<int>(words.size()) + 1, count);
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(words[i], parsed[i + 1]);
    LocalFree(parsed);
}

}  // namespace

namespace {

TEST(CompanionOfficeText, PrintsADocumentsTextOrRefusesWhatIsNoDocument) {
    ziptest::ZipBuilder package;
    package.AddStored("[Content_Types].xml", "<Types/>");
    package.AddDeflated("word/document.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                        "<w:body><w:p><w:r><w:t>Grüße</w:t></w:r></w:p>"
                        "<w:p><w:r><w:t>a &amp; b</w:t></w:r></w:p></w:body></w:document>");
    const ziptest::TempFile document(package.Build(), L".docx");
    const CliRun extracted = runCli({L"office-text", document.Path()});
    EXPECT_EQ(0u, extracted.exitCode) << extracted.err;
    EXPECT_EQ(utf8(L"Grüße\na & b\n"), extracted.out);

    const ziptest::TempFile notADocument("plain words, no archive", L".docx");
    const CliRun refused = runCli({L"office-text", notADocument.Path()});
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_EQ("", refused.out);
    EXPECT_EQ("Document load error!\n", refused.err);
}

}  // namespace

namespace {

TEST_F(Companion, PutReplacesACardsContentWithAFilesOrRefusesAnUnknownKind) {
    buildFamily();
    const ziptest::TempFile text("Grocery list: apples", L".txt");
    EXPECT_EQ("", ok({L"put", path, L"2", text.Path()}));
    EXPECT_EQ("Grocery list: apples", ok({L"show", path, L"2", L"--text"}));
    const std::string rtf = ok({L"show", path, L"2", L"--rtf"});
    EXPECT_EQ(0u, rtf.rfind("{\\rtf", 0)) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("Grocery list: apples"));

    const std::string before = readFile(path);
    const ziptest::TempFile unknown("binary", L".xyz");
    const CliRun refused = runCli({L"put", path, L"2", unknown.Path()});
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("is not a kind of file a card can hold")) << refused.err;
    EXPECT_EQ(before, readFile(path));

    const CliRun missingCard = runCli({L"put", path, L"99", text.Path()});
    EXPECT_EQ(1u, missingCard.exitCode);
    EXPECT_EQ(before, readFile(path));
}

// Files the editor must not be handed, or would read wrongly: refused with a
// reason and the card kept, or read in their real encoding.
// A file of the given size whose bytes take no room: sizes the engine
// cannot store, without writing gigabytes.
class SparseFile {
public:
    SparseFile(const wchar_t* name, long long size) : path(tempPath(name)) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    SparseFile(const SparseFile&) = delete;
    SparseFile& operator=(const SparseFile&) = delete;
    ~SparseFile() { DeleteFileW(path.c_str()); }

    const std::wstring path;
};

// What cannot be stored, and what has no end, is refused before it is read;
// a text cut short is said to be.
TEST_F(Companion, PutRefusesWhatCannotBeStoredAndSaysWhereATextWasCut) {
    buildFamily();
    const SparseFile huge(L"vorlen-cli-huge.rtf", 2LL << 30);
    const SparseFile text(L"vorlen-cli-large.txt", 600LL << 20);
    const std::wstring pipeName = L"\\\\.\\pipe\\vorlen-cli-endless.rtf";
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 4, 4096, 0, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    const struct {
        std::wstring file;
        std::string message;
    } cases[] = {
        {huge.path,
         "\"vorlen-cli-huge.rtf\" is too large for a card: it holds 2147483648 bytes, and a card stores at most "
         "1000000000 bytes.\n"},
        {text.path,
         "\"vorlen-cli-large.txt\" is too large for a card: it holds 629145600 bytes, and a card stores at most "
         "1000000000 bytes (this kind of file twice over, as text and in the RTF).\n"},
        {pipeName,
         "\"vorlen-cli-endless.rtf\" is not an ordinary file (a device or a pipe): a card takes the content of "
         "files only.\n"},
    };
    const std::string before = readFile(path);
    for (const auto& c : cases) {
        const CliRun refused = runCli({L"put", path, L"2", c.file});
        EXPECT_EQ(1u, refused.exitCode) << c.message;
        EXPECT_EQ(c.message, refused.err);
        EXPECT_EQ(before, readFile(path)) << c.message;
    }
    CloseHandle(pipe);

    const ziptest::TempFile cut(std::string("kept\0lost", 9), L".txt");
    const CliRun put = runCli({L"put", path, L"2", cut.Path()});
    EXPECT_EQ(0u, put.exitCode);
    EXPECT_NE(std::string::npos,
              put.err.find("holds a NUL character after 4 of its 9 characters: a card's text ends there, so the rest "
                           "was left out.\n"))
        << put.err;
    EXPECT_EQ("kept", ok({L"show", path, L"2", L"--text"}));
    EXPECT_EQ(std::string::npos, ok({L"show", path, L"2", L"--rtf"}).find("lost"));
}

TEST_F(Companion, PutRefusesWhatTheEditorCannotTakeAndReadsUtf8AsUtf8) {
    buildFamily();
    const ziptest::TempFile utf8Text("caf\xC3\xA9", L".txt");
    EXPECT_EQ("", ok({L"put", path, L"2", utf8Text.Path()}));
    EXPECT_EQ(utf8(L"caf\u00E9"), ok({L"show", path, L"2", L"--text"}));

    std::string deepRtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 49; ++i) deepRtf += "{\\b ";
    deepRtf += "x" + std::string(50, '}');
    const ziptest::TempFile deep(deepRtf, L".rtf");
    ziptest::ZipBuilder package;
    package.AddDeflated("word/document.xml", "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY e \"boom\">]><w>&e;</w>");
    const ziptest::TempFile doctype(package.Build(), L".docx");
    const struct {
        const wchar_t* file;
        std::string message;
    } cases[] = {
        {deep.Path(), "The RTF nests its groups 50 deep; the editor takes at most 32.\n"},
        {doctype.Path(), "Document load error!\n"},
    };
    const std::string before = readFile(path);
    for (const auto& c : cases) {
        const CliRun refused = runCli({L"put", path, L"2", c.file});
        EXPECT_EQ(1u, refused.exitCode) << c.message;
        EXPECT_EQ(c.message, refused.err);
        EXPECT_EQ(before, readFile(path)) << c.message;
    }
}

}  // namespace

namespace {

// A folder tree on disk, removed again with everything in it.
class FolderTree {
public:
    explicit FolderTree(const wchar_t* name) : root(tempPath(name)) {
        Remove(root);
        CreateDirectoryW(root.c_str(), nullptr);
    }
    ~FolderTree() { Remove(root); }
    void Folder(const std::wstring& relative) { CreateDirectoryW(Long(root + L"\\" + relative).c_str(), nullptr); }
    void File(const std::wstring& relative, const std::string& bytes) { writeFile(Long(root + L"\\" + relative), bytes); }

    const std::wstring root;

private:
    static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }
    static void Remove(const std::wstring& path) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Long(path) + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(path + L"\\" + name);
                else DeleteFileW(Long(path + L"\\" + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(Long(path).c_str());
    }
};

TEST_F(Companion, ImportFolderMakesABranchInNameOrderAndNamesTheFilesItCouldNotRead) {
    ok({L"create", path});
    FolderTree tree(L"vorlen-folder-Ordner");
    const std::wstring deep(200, L'L');
    tree.File(L"b.txt", "bee");
    tree.File(L"A.txt", "ay");
    tree.File(L"broken.docx", "no archive");
    tree.File(L"ignored.xyz", "not a kind of card");
    tree.Folder(L"Empty");
    tree.Folder(L"Unterordner \u00FC");
    tree.File(L"Unterordner \u00FC\\\u6F22\u5B57.txt", "kanji");
    tree.Folder(L"Unterordner \u00FC\\" + deep);
    tree.File(L"Unterordner \u00FC\\" + deep + L"\\deep.txt", "deep down");
    ASSERT_GT(tree.root.size() + deep.size() + 30, static_cast<size_t>(MAX_PATH));

    const std::string printed = ok({L"import-folder", path, L"0", tree.root});
    EXPECT_EQ(0u, printed.find("1\nSkipped: ")) << printed;
    EXPECT_NE(std::string::npos, printed.find("broken.docx: ")) << printed;
    EXPECT_EQ(std::string::npos, printed.find("ignored.xyz")) << printed;
    const std::string deepUtf8(deep.begin(), deep.end());
    EXPECT_EQ(utf8(L"1\tvorlen-folder-Ordner\n  2\tA.txt\n  3\tb.txt\n  4\tEmpty\n  5\tUnterordner \u00FC\n") + "    6\t" +
                  deepUtf8 + "\n" + utf8(L"      7\tdeep.txt\n    8\t\u6F22\u5B57.txt\n"),
              ok({L"tree", path}));
    EXPECT_EQ("ay", ok({L"show", path, L"2", L"--text"}));
    EXPECT_EQ("deep down", ok({L"show", path, L"7", L"--text"}));

    // Under a card, and refused for a missing card or folder with the file unchanged.
    EXPECT_EQ("9\n", ok({L"import-folder", path, L"4", tree.root + L"\\Empty"}));
    const std::string before = readFile(path);
    for (const std::vector<std::wstring>& refused :
         {std::vector<std::wstring>{L"import-folder", path, L"99", tree.root},
          std::vector<std::wstring>{L"import-folder", path, L"0", tree.root + L"\\no such folder"}}) {
        const CliRun run = runCli(refused);
        EXPECT_EQ(1u, run.exitCode);
        EXPECT_NE("", run.err);
    }
    EXPECT_EQ(before, readFile(path));
}

TEST_F(Companion, ExportTreeWritesABranchAsOnePageOrOneWordDocument) {
    buildFamily();
    const std::wstring page = tempPath(L"vorlen-cli-branch.html");
    DeleteFileW(page.c_str());
    EXPECT_EQ("", ok({L"export-tree", path, L"2", page}));
    const std::string html = readFile(page);
    EXPECT_NE(std::string::npos, html.find("<h1>Vorlen</h1>")) << html;
    EXPECT_NE(std::string::npos, html.find("<h2>Notes</h2>")) << html;
    EXPECT_EQ(std::string::npos, html.find("Ideas"));

    const std::wstring document = tempPath(L"vorlen-cli-branch.docx");
    DeleteFileW(document.c_str());
    EXPECT_EQ("", ok({L"export-tree", path, L"0", document}));
    EXPECT_EQ("Projects\nVorlen\nNotes\nIdeas\n", ok({L"office-text", document}));

    // An existing file as for export: replaced only when asked for.
    const CliRun existing = runCli({L"export-tree", path, L"0", page});
    EXPECT_EQ(1u, existing.exitCode);
    EXPECT_EQ("Cannot export to \"" + utf8(page) + "\": the file exists; give --force to replace it.\n", existing.err);
    EXPECT_EQ(html, readFile(page));
    const CliRun missing = runCli({L"export-tree", path, L"99", page, L"--force"});
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_EQ(html, readFile(page));
    DeleteFileW(page.c_str());
    DeleteFileW(document.c_str());
}

}  // namespace
