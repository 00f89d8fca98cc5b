#pragma once

#include <cstdint>
#include <memory>

#include "core/qarray.h"
#include "core/qfile.h"
#include "core/qstring.h"

// A buffered binary stream over an open file, either storing or loading,
// in the settings file's little-endian shapes.
//
// Loading throws QError "load error!" when the file ends before a value does.
// A stored length is checked against what the file still holds before any
// memory is taken for it, so a damaged file cannot make the program allocate
// more than the file's own size.
//
// Storing never throws: a write the file does not take in full is
// remembered, and Close reports it.
class SettingsArchive {
public:
    enum class Mode { Store, Load };

    SettingsArchive(kiln::files::QFile& file, Mode mode);
    SettingsArchive(const SettingsArchive&) = delete;
    SettingsArchive& operator=(const SettingsArchive&) = delete;

    bool IsStoring() const { return mode == Mode::Store; }

    void WriteInt32(int32_t value);
    void WriteInt64(int64_t value);
    void WriteByte(uint8_t value);
    void WriteBlock16(const void* block);
    // Byte length as a 32-bit integer, then the UTF-16LE code units.
    void WriteString(const kiln::qstd::QString& text);
    // Count as a 32-bit integer, then the elements.
    void WriteInt64Array(const kiln::qstd::QArray<int64_t>& values);

    int32_t ReadInt32();
    int64_t ReadInt64();
    uint8_t ReadByte();
    void ReadBlock16(void* block);
    kiln::qstd::QString ReadString();
    kiln::qstd::QArray<int64_t> ReadInt64Array();

    // Storing: writes out the bytes still buffered. False when any write of
    // this archive did not reach the file in full.
    bool Close();

private:
    static const unsigned kBufferSize = 4096;

    void Write(const void* bytes, uint64_t n);
    void Flush();
    void Read(void* bytes, uint64_t n);
    // Buffered and unread bytes together with the rest of the file.
    uint64_t BytesLeft() const;

    kiln::files::QFile& file;
    Mode mode;
    std::unique_ptr<unsigned char[]> buffer;
    // Loading: the next unread byte and the end of the valid bytes.
    // Storing: the next free byte (the end is the buffer's size).
    unsigned position = 0;
    unsigned end = 0;
    bool failed = false;
};
