#pragma once

#include <string>
#include <vector>

// One run of vorlen-cli.exe as a process of its own, its standard input fed
// from a string, as a script would pipe a password into it.
struct CompanionRun {
    unsigned long exitCode;
    std::string out;
    std::string err;
};

CompanionRun runCompanion(const std::vector<std::wstring>& arguments, const std::string& input = "");
