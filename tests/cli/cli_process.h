#pragma once

#include <string>
#include <vector>

// One run of vorlen-cli.exe as a process of its own, as a script would run it.
struct CliRun {
    unsigned long exitCode;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::wstring>& arguments);

// The command line that hands exactly these words to the program's argv.
std::wstring quoteArguments(const std::vector<std::wstring>& arguments);

std::string utf8(const std::wstring& text);
