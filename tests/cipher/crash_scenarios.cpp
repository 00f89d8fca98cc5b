#include "crash_scenarios.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "core/qerror.h"
#include "fault_injection.h"
#include "store/cipher/rekey.h"
#include "test_support.h"

const char kNewMarker[] = "REWRITTEN-MARKER";
const char kUpdateSql[] =
    "BEGIN; UPDATE tab SET txt = 'REWRITTEN-MARKER ' || txt, title = title || ' (edited)' WHERE id % 2 = 1; "
    "DELETE FROM tab WHERE id = 2; COMMIT;";

namespace {

const wchar_t* passwordOrNone(const std::wstring& argument) {
    return argument.empty() ? nullptr : argument.c_str();
}

// rekey <database> <old password> <new password> <n> <new format 1|2>: ends
// the process at the nth file operation of the rekey.
int rekeyUntilEnded(const std::vector<std::wstring>& arguments) {
    Connection db(arguments[1], passwordOrNone(arguments[2]));
    ScriptedFileOperations files(std::wcstol(arguments[4].c_str(), nullptr, 10), Fault::EndProcess);
    const CipherFormat format = arguments[5] == L"2" ? CipherFormat::format2 : CipherFormat::format1;
    try {
        rekeyDatabase(db.handle(), keyOf(arguments[3], format), files);
    } catch (const kiln::qstd::QError&) {
        return 3;
    }
    return 0;
}

// update <database> <password> <n> <end|torn>: ends the process at the nth
// write of a transaction, before it or halfway through it. The file is read
// in whichever format it has.
int updateUntilEnded(const std::vector<std::wstring>& arguments) {
    registerFaultyVfs();
    Connection db(arguments[1], passwordOrNone(arguments[2]), kFaultyCipherVfs, SQLITE_OPEN_READWRITE);
    armFaultyVfs(FileOperationKind::Write, std::wcstol(arguments[3].c_str(), nullptr, 10),
                 arguments[4] == L"torn" ? Fault::TornWriteThenEnd : Fault::EndProcess);
    return db.exec(kUpdateSql) == SQLITE_OK ? 0 : 3;
}

}  // namespace

int runChildScenario(const std::vector<std::wstring>& arguments) {
    if (arguments.size() == 6 && arguments[0] == L"rekey") return rekeyUntilEnded(arguments);
    if (arguments.size() == 5 && arguments[0] == L"update") return updateUntilEnded(arguments);
    return 2;
}
