#include "app/settings/settings_archive.h"

#include <algorithm>
#include <cstring>

#include "core/qerror.h"

using kiln::qstd::QArray;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

const wchar_t kLoadError[] = L"load error!";
// One ReadFile call moves at most this much, far below DWORD's limit.
const uint64_t kLargestRead = 1u << 30;

}  // namespace

SettingsArchive::SettingsArchive(kiln::files::QFile& file, Mode mode)
    : file(file), mode(mode), buffer(new unsigned char[kBufferSize]) {}

void SettingsArchive::WriteInt32(int32_t value) {
    Write(&value, sizeof(value));
}

void SettingsArchive::WriteInt64(int64_t value) {
    Write(&value, sizeof(value));
}

void SettingsArchive::WriteByte(uint8_t value) {
    Write(&value, sizeof(value));
}

void SettingsArchive::WriteBlock16(const void* block) {
    Write(block, 16);
}

void SettingsArchive::WriteString(const QString& text) {
    const uint32_t bytes = static_cast<uint32_t>(text.GetLength()) * 2;
    WriteInt32(static_cast<int32_t>(bytes));
    Write(text.c_str(), bytes);
}

void SettingsArchive::WriteInt64Array(const QArray<int64_t>& values) {
    WriteInt32(static_cast<int32_t>(values.GetCount()));
    Write(values.GetData(), static_cast<uint64_t>(values.GetCount()) * sizeof(int64_t));
}

int32_t SettingsArchive::ReadInt32() {
    int32_t value = 0;
    Read(&value, sizeof(value));
    return value;
}

int64_t SettingsArchive::ReadInt64() {
    int64_t value = 0;
    Read(&value, sizeof(value));
    return value;
}

uint8_t SettingsArchive::ReadByte() {
    uint8_t value = 0;
    Read(&value, sizeof(value));
    return value;
}

void SettingsArchive::ReadBlock16(void* block) {
    Read(block, 16);
}

QString SettingsArchive::ReadString() {
    const uint32_t bytes = static_cast<uint32_t>(ReadInt32());
    // An odd length would overrun the characters by one byte.
    if (bytes % 2 != 0 || bytes > BytesLeft()) throw QError(kLoadError);
    QString text;
    if (bytes == 0) return text;
    Read(text.GetBuffer(static_cast<int>(bytes / 2)), bytes);
    return text;
}

QArray<int64_t> SettingsArchive::ReadInt64Array() {
    const uint32_t count = static_cast<uint32_t>(ReadInt32());
    if (count > BytesLeft() / sizeof(int64_t)) throw QError(kLoadError);
    QArray<int64_t> values;
    values.SetCapacity(count);
    for (uint32_t i = 0; i < count; ++i) values.Add(ReadInt64());
    return values;
}

bool SettingsArchive::Close() {
    if (IsStoring()) Flush();
    return !failed;
}

void SettingsArchive::Write(const void* bytes, uint64_t n) {
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    while (n > 0) {
        if (position == kBufferSize) Flush();
        const unsigned take = static_cast<unsigned>(std::min<uint64_t>(n, kBufferSize - position));
        std::memcpy(buffer.get() + position, from, take);
        position += take;
        from += take;
        n -= take;
    }
}

void SettingsArchive::Flush() {
    if (position > 0 && file.Write(buffer.get(), position) != position) failed = true;
    position = 0;
}

void SettingsArchive::Read(void* bytes, uint64_t n) {
    unsigned char* to = static_cast<unsigned char*>(bytes);
    while (n > 0) {
        if (position == end) {
            if (n >= kBufferSize) {
                // What does not fit the buffer goes straight to its destination.
                const DWORD got = file.Read(to, static_cast<DWORD>(std::min(n, kLargestRead)));
                if (got == 0) throw QError(kLoadError);
                to += got;
                n -= got;
                continue;
            }
            position = 0;
            end = file.Read(buffer.get(), kBufferSize);
            if (end == 0) throw QError(kLoadError);
        }
        const unsigned take = static_cast<unsigned>(std::min<uint64_t>(n, end - position));
        std::memcpy(to, buffer.get() + position, take);
        position += take;
        to += take;
        n -= take;
    }
}

uint64_t SettingsArchive::BytesLeft() const {
    const LONGLONG size = file.GetSize();
    const LONGLONG at = file.GetPosition();
    const uint64_t unread = size > at ? static_cast<uint64_t>(size - at) : 0;
    return unread + (end - position);
}
