#include "documents/text_file.h"

#include <limits>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "core/qfile.h"
#include "core/text_encoding.h"

using kiln::files::QFile;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qstd::TextEncoding;

namespace {

// A string holds at most INT_MAX units; larger text is refused, not cut.
[[noreturn]] void TooLong() {
    throw QError(L"The file is too large for a card.");
}

QString FromUtf16(const unsigned char* bytes, size_t count, bool bigEndian) {
    const size_t units = count / 2;
    if (units > static_cast<size_t>(std::numeric_limits<int>::max() - 1)) TooLong();
    QString text;
    wchar_t* out = text.GetBuffer(static_cast<int>(units));
    const int high = bigEndian ? 0 : 1;
    for (size_t i = 0; i < units; ++i) {
        out[i] = static_cast<wchar_t>(bytes[2 * i + high] << 8 | bytes[2 * i + 1 - high]);
    }
    return text;
}

QString FromMultiByte(const unsigned char* bytes, size_t count, UINT codePage) {
    if (count == 0) return QString();
    if (count > static_cast<size_t>(std::numeric_limits<int>::max())) TooLong();
    const char* source = reinterpret_cast<const char*>(bytes);
    const int units = MultiByteToWideChar(codePage, 0, source, static_cast<int>(count), nullptr, 0);
    if (units <= 0) return QString();
    QString text;
    MultiByteToWideChar(codePage, 0, source, static_cast<int>(count), text.GetBuffer(units), units);
    return text;
}

}  // namespace

bool ReadFileBytes(const QString& path, QBuffer& bytes) {
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyWrite)) return false;
    // A device or a pipe gives bytes without end, and no size to read up to.
    if (!file.IsDiskFile()) return false;
    const LONGLONG size = file.GetSize();
    if (size < 0) return false;
    if (static_cast<unsigned long long>(size) > std::numeric_limits<unsigned>::max() / 2) TooLong();
    bytes.RemoveAll();
    bytes.SetCapacity(static_cast<unsigned>(size));
    unsigned char chunk[65536];
    while (bytes.GetCount() < size) {
        const DWORD read = file.Read(chunk, sizeof chunk);
        if (read == 0) return false;
        bytes.Append(chunk, read);
    }
    return true;
}

bool ReadTextFile(const QString& path, QString& text) {
    QBuffer bytes;
    if (!ReadFileBytes(path, bytes)) return false;
    const unsigned char* data = bytes.GetData();
    const size_t count = bytes.GetCount();
    const kiln::qstd::TextStart start = kiln::qstd::DetectTextStart(data, count);
    switch (start.encoding) {
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
        text = FromUtf16(data + start.markLength, count - start.markLength,
                         start.encoding == TextEncoding::Utf16BigEndian);
        return true;
    case TextEncoding::Utf8: text = FromMultiByte(data + start.markLength, count - start.markLength, CP_UTF8); return true;
    case TextEncoding::CodePage: break;
    }
    kiln::qstd::Utf8Check check;
    const bool utf8 = check.Feed(data, count) && check.IsUtf8BeyondAscii();
    text = FromMultiByte(data, count, utf8 ? CP_UTF8 : CP_ACP);
    return true;
}
