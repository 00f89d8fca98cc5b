#include "cli/commands.h"

#include <cwchar>
#include <vector>

#include "app/editor/editor_card_content.h"
#include "app/editor/folder_cards.h"
#include "cli/backup_commands.h"
#include "cli/escaped_text.h"
#include "cli/document_commands.h"
#include "cli/open_database.h"
#include "core/qerror.h"
#include "documents/office_text.h"
#include "cli/password_commands.h"
#include "store/card_branch.h"
#include "store/card_operations.h"
#include "store/card_search.h"
#include "store/card_tree.h"
#include "store/lost_cards.h"
#include "store/transaction.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

const wchar_t* databasePath(const Invocation& invocation) {
    return invocation.arguments.positional(0);
}

CardId idArgument(const Invocation& invocation, unsigned index) {
    return parseCardId(invocation.arguments.positional(index));
}

void openExisting(CardDatabase& database, const Invocation& invocation) {
    openCardFile(database, databasePath(invocation), invocation.options);
}

// For the commands that write to the file.
void openForChange(CardDatabase& database, const Invocation& invocation) {
    requireWritableFile(databasePath(invocation));
    openExisting(database, invocation);
}

QString idAndTitle(CardId id, const QString& title) {
    return cardIdText(id) + L"\t" + escapeControlCharacters(title);
}

void runCreate(const Invocation& invocation) {
    const bool force = invocation.arguments.option(L"--force") != nullptr;
    CardDatabase database;
    createCardFile(database, databasePath(invocation), force);
}

void runTree(const Invocation& invocation) {
    CardDatabase database;
    openExisting(database, invocation);
    const CardTree tree = loadCardTree(database);
    for (unsigned i = 0; i < tree.getCount(); ++i) {
        for (int level = 0; level < tree.getDepth(i); ++level) invocation.out.writeText(L"  ", 2);
        invocation.out.writeLine(idAndTitle(tree.getCard(i).id, tree.getCard(i).title));
    }
}

void runAdd(const Invocation& invocation) {
    // Parse before opening, so that a wrong id touches no file.
    const wchar_t* parent = invocation.arguments.option(L"--parent");
    const CardId parentId = parent ? parseCardId(parent) : 0;
    const wchar_t* title = invocation.arguments.option(L"--title");
    CardDatabase database;
    openForChange(database, invocation);
    // The card and its title arrive together or not at all.
    Transaction transaction(database);
    const CardId id = store::addCard(database, parentId);
    if (title) store::renameCard(database, id, title);
    transaction.commit();
    invocation.out.writeLine(cardIdText(id));
}

void runRename(const Invocation& invocation) {
    const CardId id = idArgument(invocation, 1);
    CardDatabase database;
    openForChange(database, invocation);
    store::renameCard(database, id, invocation.arguments.positional(2));
}

void runMove(const Invocation& invocation) {
    const CardId id = idArgument(invocation, 1);
    const CardId newParentId = idArgument(invocation, 2);
    CardDatabase database;
    openForChange(database, invocation);
    store::moveCard(database, id, newParentId);
}

void runDelete(const Invocation& invocation) {
    const CardId id = idArgument(invocation, 1);
    CardDatabase database;
    openForChange(database, invocation);
    if (store::countDescendants(database, id) > 0) backUpBeforeChange(invocation, database, databasePath(invocation));
    store::deleteCard(database, id);
}

void runDeleteAll(const Invocation& invocation) {
    CardDatabase database;
    openForChange(database, invocation);
    backUpBeforeChange(invocation, database, databasePath(invocation));
    store::deleteAllCards(database);
}

void runSearch(const Invocation& invocation) {
    CardDatabase database;
    openExisting(database, invocation);
    const QObArray<SearchResult> results = searchCards(database, invocation.arguments.positional(1));
    for (unsigned i = 0; i < results.GetCount(); ++i) {
        invocation.out.writeLine(idAndTitle(results[i]->id, results[i]->title));
    }
}

void runShow(const Invocation& invocation) {
    const CardId id = idArgument(invocation, 1);
    const bool rtf = invocation.arguments.option(L"--rtf") != nullptr;
    const bool text = invocation.arguments.option(L"--text") != nullptr;
    if (rtf == text) throw UsageError{L"Give either --rtf or --text."};
    CardDatabase database;
    openExisting(database, invocation);
    if (rtf) {
        const QBuffer content = store::loadCardContent(database, id);
        invocation.out.writeBytes(content.GetData(), content.GetCount());
    } else {
        invocation.out.writeText(store::loadCardText(database, id));
    }
}

void runPut(const Invocation& invocation) {
    const CardId id = idArgument(invocation, 1);
    CardDatabase database;
    openForChange(database, invocation);
    store::requireCard(database, id);
    // The file is read completely before the card is touched, so a file that
    // cannot be read leaves the card as it was.
    CardContent content;
    ReadCardContentFromFile(invocation.arguments.positional(2), content);
    database.saveCardContent(content.txt, content.rtf, id);
    if (!content.notice.IsEmpty()) invocation.err.writeLine(content.notice);
}

void runImportFolder(const Invocation& invocation) {
    const CardId parentId = idArgument(invocation, 1);
    CardDatabase database;
    openForChange(database, invocation);
    if (parentId != 0) store::requireCard(database, parentId);
    // Every file is read before the first card is made: the cards come in
    // one transaction or not at all.
    NewCardBranch branch;
    std::vector<QString> skipped;
    ReadFolderCards(invocation.arguments.positional(2), branch, skipped, [](unsigned, unsigned) { return true; });
    QString line;
    line.Format(L"%lld", static_cast<long long>(addCardBranch(database, parentId, branch)));
    invocation.out.writeLine(line);
    for (const QString& file : skipped) invocation.out.writeLine(L"Skipped: " + file);
}

void runLost(const Invocation& invocation) {
    CardDatabase database;
    openExisting(database, invocation);
    const QObArray<CardRow> lost = store::findLostCards(database);
    for (unsigned i = 0; i < lost.GetCount(); ++i) invocation.out.writeLine(idAndTitle(lost[i]->id, lost[i]->title));
}

void runRescue(const Invocation& invocation) {
    CardDatabase database;
    openForChange(database, invocation);
    if (store::findLostCards(database).GetCount() > 0) {
        backUpBeforeChange(invocation, database, databasePath(invocation));
    }
    const CardId recovered = store::rescueLostCards(database);
    if (recovered != 0) invocation.out.writeLine(cardIdText(recovered));
}

void runOfficeText(const Invocation& invocation) {
    QString text;
    if (!ExtractOfficeText(invocation.arguments.positional(0), text)) throw QError(L"Document load error!");
    invocation.out.writeText(text);
}

const OptionSpec kCreateOptions[] = {{L"--force", false}};
const OptionSpec kAddOptions[] = {{L"--parent", true}, {L"--title", true}};
const OptionSpec kShowOptions[] = {{L"--rtf", false}, {L"--text", false}};
const OptionSpec kPasswordOptions[] = {{L"--compatible", false}};

const Command kCommands[] = {
    {L"create", L"DB [--force]",
     L"make a new, empty card database; an existing file is refused, and replaced only with --force", 1,
     kCreateOptions, 1, runCreate},
    {L"tree", L"DB", L"list every card in tree order, two spaces per level: id, tab, title", 1, nullptr, 0, runTree},
    {L"add", L"DB [--parent ID] [--title TEXT]", L"add a card and print its id", 1, kAddOptions, 2, runAdd},
    {L"rename", L"DB ID TITLE", L"give a card a new title", 3, nullptr, 0, runRename},
    {L"move", L"DB ID NEW_PARENT_ID", L"put a card under another one (0: the top level)", 3, nullptr, 0,
     runMove},
    {L"delete", L"DB ID", L"delete a card with all the cards below it", 2, nullptr, 0, runDelete},
    {L"delete-all", L"DB", L"delete every card", 1, nullptr, 0, runDeleteAll},
    {L"lost", L"DB", L"list the cards the tree cannot show (below a missing card or in a cycle): id, tab, title", 1,
     nullptr, 0, runLost},
    {L"rescue", L"DB",
     L"put the cards the tree cannot show under a new top-level card \"Recovered cards\" and print its id", 1,
     nullptr, 0, runRescue},
    {L"search", L"DB TEXT", L"list the cards whose text contains TEXT or whose title begins with it", 2,
     nullptr, 0, runSearch},
    {L"password", L"set|change|remove DB [--compatible]",
     L"set, change or remove the password; the passwords come from standard input, one a line (change: old, "
     L"then new); --compatible writes the weak format older versions read",
     2, kPasswordOptions, 1, runPassword},
    {L"info", L"DB", L"print the file's format (plain, format 1 or format 2) and its page size", 1, nullptr, 0,
     runInfo},
    {L"show", L"DB ID --rtf|--text", L"write a card's stored RTF, or its plain text, to standard output", 2,
     kShowOptions, 2, runShow},
    {L"put", L"DB ID FILE",
     L"replace a card's content with a file's: RTF, text, a picture, or a Word, Excel or PowerPoint file", 3,
     nullptr, 0, runPut},
    {L"import", L"TARGET SOURCE [--source-password-stdin]",
     L"copy every card of SOURCE under a new \"Import\" card of TARGET and print its id; with "
     L"--source-password-stdin the next line of standard input is SOURCE's password",
     2, kImportOptions, 1, runImport},
    {L"import-folder", L"DB PARENT_ID FOLDER",
     L"make FOLDER a card under PARENT_ID (0: the top level) with a card per readable file and a branch per "
     L"subfolder; prints its id, then a line \"Skipped: \" for each file that could not be read",
     3, nullptr, 0, runImportFolder},
    {L"export", L"DB ID FILE [--force]",
     L"write a card to FILE as RTF, or as a Word document when FILE ends in .docx; an existing file is refused, "
     L"and replaced only with --force",
     3, kExportOptions, 1, runExport},
    {L"export-tree", L"DB ID FILE [--force]",
     L"write a card and every card below it (every card for ID 0) to FILE as one web page, or as one Word "
     L"document when FILE ends in .docx; an existing file is refused, and replaced only with --force",
     3, kExportOptions, 1, runExportTree},
    {L"backup", L"DB", L"make a backup of the file now and print its path", 1, nullptr, 0, runBackup},
    {L"backups", L"DB", L"list the file's backups, newest first: path, tab, local date and time, tab, cards", 1,
     nullptr, 0, runBackups},
    {L"restore", L"DB BACKUP [--backup-password-stdin]",
     L"replace the file's cards with a backup's, after a backup of the file as it is; the password stays; a "
     L"backup made under another password reads that one from the next line of standard input",
     2, kRestoreOptions, 1, runRestore},
    {L"office-text", L"FILE", L"write the text of a Word, Excel or PowerPoint file to standard output", 1,
     nullptr, 0, runOfficeText},
};

}  // namespace

const Command* findCommand(const wchar_t* name) {
    for (const Command& command : kCommands) {
        if (std::wcscmp(command.name, name) == 0) return &command;
    }
    return nullptr;
}

const Command* commandsBegin() {
    return kCommands;
}

const Command* commandsEnd() {
    return kCommands + sizeof kCommands / sizeof kCommands[0];
}
