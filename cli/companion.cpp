#include "cli/companion.h"

#include <new>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/global_options.h"
#include "core/qerror.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

void writeUsage(ConsoleOutput& stream) {
    stream.writeText(L"Usage: vorlen-cli [--help] [--password-stdin] [--no-backup] COMMAND ARGUMENTS...\n\n"
                     L"--password-stdin: the password of an enciphered database is the first line of standard "
                     L"input.\n--no-backup: delete-all, delete of a card with cards below it, password, import, "
                     L"rescue and restore go on even when no backup of the file can be made first.\n\n"
                     L"Commands:\n");
    for (const Command* command = commandsBegin(); command != commandsEnd(); ++command) {
        stream.writeText(L"  ");
        stream.writeText(command->name);
        stream.writeText(L" ");
        stream.writeLine(command->synopsis);
        stream.writeText(L"      ");
        stream.writeLine(command->summary);
    }
    stream.writeText(L"\nExit status: 0 done, 1 refused or failed (the reason on standard error), "
                     L"2 wrong usage.\n");
}

}  // namespace

int runCompanion(wchar_t** words, unsigned count, ConsoleInput& in, ConsoleOutput& out, ConsoleOutput& err) {
    try {
        GlobalOptions options;
        unsigned next = 0;
        while (next < count && words[next][0] == L'-') {
            if (!applyGlobalOption(words[next], options)) {
                throw UsageError{QString(L"Unknown option: ") + words[next]};
            }
            ++next;
        }
        if (options.help) {
            writeUsage(out);
            return kExitSuccess;
        }
        if (options.passwordFromStdin) in.readLine(options.password);
        if (next == count) throw UsageError{L"No command given."};
        const Command* command = findCommand(words[next]);
        if (!command) throw UsageError{QString(L"Unknown command: ") + words[next]};
        ++next;
        const ParsedArguments arguments(words + next, count - next, command->options, command->optionCount,
                                        command->positionalCount);
        command->run(Invocation{options, arguments, in, out, err});
        return kExitSuccess;
    } catch (const UsageError& error) {
        err.writeLine(error.message);
        err.writeText(L"\n");
        writeUsage(err);
        return kExitUsage;
    } catch (const QError& error) {
        err.writeLine(error.message);
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        // A large file in a 32-bit process, say. Every change runs in one
        // transaction, which the unwinding has rolled back.
        err.writeLine(L"There is not enough memory for this command; the file was left as it was.");
        return kExitFailure;
    }
}
