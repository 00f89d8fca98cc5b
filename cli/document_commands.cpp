#include "cli/document_commands.h"

#include <windows.h>

#include "cli/backup_commands.h"
#include "cli/open_database.h"
#include "core/qerror.h"
#include "documents/branch_export.h"
#include "documents/card_export.h"
#include "documents/rtf_reader.h"
#include "store/card_branch.h"
#include "store/card_import.h"
#include "store/card_operations.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

const OptionSpec kImportOptions[1] = {{L"--source-password-stdin", false}};
const OptionSpec kExportOptions[1] = {{L"--force", false}};

void runImport(const Invocation& invocation) {
    const QString targetPath = invocation.arguments.positional(0);
    const QString sourcePath = invocation.arguments.positional(1);
    // Before the source's password is asked for, as the window does.
    if (store::isSameFile(targetPath, sourcePath)) throw QError(store::kSameDatabaseMessage);
    QString sourcePassword;
    if (invocation.arguments.option(L"--source-password-stdin")) invocation.in.readLine(sourcePassword);

    CardDatabase target;
    openCardFile(target, targetPath, invocation.options);
    CardDatabase source;
    openCardFileWithPassword(source, sourcePath, sourcePassword);
    backUpBeforeChange(invocation, target, targetPath);
    const store::ImportResult result = store::importCardDatabase(target, source, nullptr);
    QString line;
    line.Format(L"%d", result.importId);
    invocation.out.writeLine(line);
}

namespace {

// Before the database is opened: a file already there is replaced only when
// the user said so, and a place no export can go is refused at once.
void requireExportTarget(const Invocation& invocation, const QString& file) {
    documents::RequireExportTarget(file);
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES && !invocation.arguments.option(L"--force")) {
        throw QError(L"Cannot export to \"" + file + L"\": the file exists; give --force to replace it.");
    }
}

}  // namespace

void runExport(const Invocation& invocation) {
    const CardId id = parseCardId(invocation.arguments.positional(1));
    const QString file = invocation.arguments.positional(2);
    requireExportTarget(invocation, file);
    CardDatabase database;
    openCardFile(database, invocation.arguments.positional(0), invocation.options);
    store::requireCard(database, id);
    const QBuffer rtf = store::loadCardContent(database, id);
    documents::ExportCard(file, rtf);
}

void runExportTree(const Invocation& invocation) {
    const CardId id = parseCardId(invocation.arguments.positional(1));
    const QString file = invocation.arguments.positional(2);
    requireExportTarget(invocation, file);
    CardDatabase database;
    openCardFile(database, invocation.arguments.positional(0), invocation.options);
    std::vector<documents::BranchCard> cards;
    for (const BranchCardRow& row : readBranch(database, id)) {
        const QBuffer rtf = store::loadCardContent(database, row.id);
        cards.push_back(
            documents::BranchCard{row.title.c_str(), row.depth, documents::ReadRtf(rtf.GetData(), rtf.GetCount())});
    }
    documents::ExportBranch(file, cards);
}
