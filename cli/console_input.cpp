#include "cli/console_input.h"

#include <cstring>
#include <memory>

using kiln::qstd::QString;

namespace {

constexpr DWORD kChunk = 4096;

}  // namespace

ConsoleInput::ConsoleInput(DWORD standardHandle) : handle(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool ConsoleInput::readLine(QString& line) {
    line.Empty();
    for (;;) {
        const unsigned count = pending.GetCount();
        const unsigned char* bytes = pending.GetData();
        unsigned end = position;
        while (end < count && bytes[end] != '\n') ++end;
        const bool complete = end < count;
        // More input may finish the line.
        if (!complete && fill()) continue;
        if (!complete && end == position) return false;

        unsigned length = end - position;
        if (length > 0 && bytes[position + length - 1] == '\r') --length;
        if (length > 0) {
            line = QString(reinterpret_cast<const char*>(bytes + position), static_cast<int>(length), CP_UTF8);
        }
        position = complete ? end + 1 : end;
        return true;
    }
}

bool ConsoleInput::fill() {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    if (console) {
        wchar_t typed[kChunk];
        DWORD read = 0;
        if (!ReadConsoleW(handle, typed, kChunk, &read, nullptr) || read == 0) return false;
        const int size = WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(read), nullptr, 0, nullptr, nullptr);
        if (size <= 0) return false;
        std::unique_ptr<char[]> utf8(new char[static_cast<size_t>(size)]);
        WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(read), utf8.get(), size, nullptr, nullptr);
        pending.Append(utf8.get(), static_cast<unsigned>(size));
        return true;
    }
    unsigned char chunk[kChunk];
    DWORD read = 0;
    if (!ReadFile(handle, chunk, kChunk, &read, nullptr) || read == 0) return false;
    const unsigned char byteOrderMark[] = {0xEF, 0xBB, 0xBF};
    unsigned skip = 0;
    if (firstRead && read >= sizeof(byteOrderMark) && std::memcmp(chunk, byteOrderMark, sizeof(byteOrderMark)) == 0) {
        skip = sizeof(byteOrderMark);
    }
    firstRead = false;
    pending.Append(chunk + skip, read - skip);
    return true;
}
