#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Crash tests run their victims as child processes: this test program again,
// started with "--child" and a scenario, which its main hands to
// runChildScenario instead of the tests.

// Starts the child with the arguments (quoted as needed), waits for it and
// returns its exit code.
DWORD runChild(const std::vector<std::wstring>& arguments);

// The child's side: performs the scenario named by arguments[0]; returns the
// process exit code.
int runChildScenario(const std::vector<std::wstring>& arguments);
