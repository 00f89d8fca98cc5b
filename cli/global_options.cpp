#include "cli/global_options.h"

#include <cwchar>

namespace {

struct GlobalOption {
    const wchar_t* name;
    void (*apply)(GlobalOptions& options);
};

const GlobalOption kGlobalOptions[] = {
    {L"--help", [](GlobalOptions& options) { options.help = true; }},
    {L"-h", [](GlobalOptions& options) { options.help = true; }},
    {L"--password-stdin", [](GlobalOptions& options) { options.passwordFromStdin = true; }},
    {L"--no-backup", [](GlobalOptions& options) { options.noBackup = true; }},
};

}  // namespace

bool applyGlobalOption(const wchar_t* word, GlobalOptions& options) {
    for (const GlobalOption& option : kGlobalOptions) {
        if (std::wcscmp(option.name, word) == 0) {
            option.apply(options);
            return true;
        }
    }
    return false;
}
