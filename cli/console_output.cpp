#include "cli/console_output.h"

#include <cwchar>
#include <memory>

namespace {

// Collected output is written once it grows past this.
constexpr unsigned kFlushSize = 64 * 1024;

}  // namespace

ConsoleOutput::ConsoleOutput(DWORD standardHandle) : handle(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

ConsoleOutput::~ConsoleOutput() {
    flush();
}

void ConsoleOutput::writeText(const wchar_t* text, int length) {
    if (length < 0) length = static_cast<int>(std::wcslen(text));
    if (length == 0) return;
    if (console) {
        flush();
        DWORD written = 0;
        WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    std::unique_ptr<char[]> utf8(new char[size]);
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.get(), size, nullptr, nullptr);
    writeBytes(utf8.get(), static_cast<unsigned>(size));
}

void ConsoleOutput::writeLine(const kiln::qstd::QString& text) {
    writeText(text);
    writeText(L"\n", 1);
}

void ConsoleOutput::writeBytes(const void* bytes, unsigned n) {
    pending.Append(bytes, n);
    if (pending.GetCount() >= kFlushSize) flush();
}

void ConsoleOutput::flush() {
    const unsigned char* data = pending.GetData();
    unsigned left = pending.GetCount();
    while (left > 0) {
        DWORD written = 0;
        // A reader that went away (a closed pipe) loses the rest; there is
        // nobody left to tell.
        if (!WriteFile(handle, data, left, &written, nullptr) || written == 0) break;
        data += written;
        left -= written;
    }
    pending.RemoveAll();
}
