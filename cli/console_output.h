#pragma once

#include <windows.h>

#include "core/qbuffer.h"
#include "core/qstring.h"

// One of the program's standard streams. Text leaves as UTF-8 (as UTF-16
// straight to a console window, which shows it whatever its code page);
// bytes leave unchanged. Output is collected and written in large pieces, so
// a tree of a million cards is not a million writes.
class ConsoleOutput {
public:
    explicit ConsoleOutput(DWORD standardHandle);
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;
    ~ConsoleOutput();

    void writeText(const wchar_t* text, int length = -1);
    void writeText(const kiln::qstd::QString& text) { writeText(text.c_str(), text.GetLength()); }
    void writeLine(const kiln::qstd::QString& text);
    void writeBytes(const void* bytes, unsigned n);
    void flush();

private:
    HANDLE handle;
    bool console;
    kiln::qstd::QBuffer pending;
};
