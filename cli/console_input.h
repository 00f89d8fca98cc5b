#pragma once

#include <windows.h>

#include "core/qbuffer.h"
#include "core/qstring.h"

// The program's standard input, read a line at a time: UTF-8 from a pipe or
// a file (a leading byte-order mark is skipped), UTF-16 straight from a
// console window. Nothing is read until a line is asked for.
class ConsoleInput {
public:
    explicit ConsoleInput(DWORD standardHandle);
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // The next line without its line end; false, and line empty, when the
    // input has ended before it.
    bool readLine(kiln::qstd::QString& line);

private:
    // Appends more input to pending; false at its end.
    bool fill();

    HANDLE handle;
    bool console;
    bool firstRead = true;
    kiln::qstd::QBuffer pending;
    unsigned position = 0;
};
