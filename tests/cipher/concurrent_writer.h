#pragma once

#include <string>
#include <vector>

// writer <database> <password> <other password> <cards> <acknowledgements>:
// adds the cards one by one with short pauses, each on a connection of its
// own as the companion does, trying a held file again at once, under
// whichever of the two passwords opens the file; after each add that
// reported success, appends its number to the file of acknowledgements.
// Returns the process exit code.
int runConcurrentWriter(const std::vector<std::wstring>& arguments);
