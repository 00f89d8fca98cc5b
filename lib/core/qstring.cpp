#include "core/qstring.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>

namespace kiln {
namespace qstd {

struct QString::Block {
    volatile LONG refs;
    LONG length;
    LONG capacity;

    wchar_t* Chars() { return reinterpret_cast<wchar_t*>(this + 1); }

    static Block* Allocate(int capacity);
    static Block* ForLength(int length);
};

namespace {

static_assert(sizeof(LONG) == 4, "block counters are 32-bit");

// Keeps 12 + 2 * capacity far inside a 32-bit size_t and every length sum
// inside an int; no 32-bit process could allocate such a block anyway.
constexpr int kMaxLength = 0x3FFFFF00;

// Room the formatter is told about, terminator included.
constexpr int kFormatRoom = 15999;

// LoadStringW truncates silently, so the room grows in these steps until a
// load leaves a unit to spare.
constexpr int kLoadStep = 256;

int CheckedLength(size_t length) {
    if (length > static_cast<size_t>(kMaxLength)) throw std::bad_alloc();
    return static_cast<int>(length);
}

// Short strings land in a few block sizes so the allocator sees few distinct
// requests; beyond 511 units the block is the next multiple of 8 plus 8.
int RoundedCapacity(int length) {
    static const int kSteps[] = {16, 32, 64, 128, 256, 320, 384, 448, 512};
    const int needed = length + 1;
    for (int step : kSteps) {
        if (needed < step) return step;
    }
    return ((needed + 7) & ~7) + 8;
}

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

bool IsResourceId(const wchar_t* text) {
    return reinterpret_cast<ULONG_PTR>(text) < 0x10000;
}

}  // namespace

QString::Block* QString::Block::Allocate(int capacity) {
    void* memory = std::calloc(1, sizeof(Block) + sizeof(wchar_t) * static_cast<size_t>(capacity));
    if (!memory) throw std::bad_alloc();
    Block* block = static_cast<Block*>(memory);
    block->refs = 1;
    block->capacity = capacity;
    return block;
}

QString::Block* QString::Block::ForLength(int length) {
    return Allocate(RoundedCapacity(length));
}

QString::QString(const QString& other) noexcept : data(other.data) {
    if (data) InterlockedIncrement(&GetBlock()->refs);
}

QString::QString(QString&& other) noexcept : data(other.data) {
    other.data = nullptr;
}

QString::QString(const wchar_t* text) {
    if (!text) return;
    if (IsResourceId(text)) {
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(text)));
        return;
    }
    const int length = CheckedLength(std::wcslen(text));
    Adopt(Block::ForLength(length));
    std::memcpy(data, text, sizeof(wchar_t) * length);
    SetLength(length);
}

QString::QString(const wchar_t* text, int length) {
    if (!text || length < 0) return;
    CheckedLength(static_cast<size_t>(length));
    Adopt(Block::ForLength(length));
    std::memcpy(data, text, sizeof(wchar_t) * length);
    SetLength(length);
}

QString::QString(const char* bytes, int byteLength, UINT codePage) {
    if (!bytes || byteLength == 0 || byteLength < -1) return;
    const int measured = MultiByteToWideChar(codePage, 0, bytes, byteLength, nullptr, 0);
    if (measured <= 0) return;
    CheckedLength(static_cast<size_t>(measured));
    Adopt(Block::ForLength(measured));
    int length = MultiByteToWideChar(codePage, 0, bytes, byteLength, data, measured);
    // A NUL-terminated source converts its terminator too; it is not text.
    if (byteLength == -1 && length > 0) --length;
    SetLength(length > 0 ? length : 0);
}

QString::QString(const wchar_t* left, int leftLength, const wchar_t* right, int rightLength) {
    const int length = CheckedLength(static_cast<size_t>(leftLength) + rightLength);
    Adopt(Block::ForLength(length));
    std::memcpy(data, left, sizeof(wchar_t) * leftLength);
    std::memcpy(data + leftLength, right, sizeof(wchar_t) * rightLength);
    SetLength(length);
}

QString::~QString() {
    Release();
}

QString& QString::operator=(const QString& other) noexcept {
    if (this == &other) return *this;
    wchar_t* incoming = other.data;
    if (incoming) InterlockedIncrement(&other.GetBlock()->refs);
    Release();
    data = incoming;
    return *this;
}

QString& QString::operator=(QString&& other) noexcept {
    if (this != &other) {
        Release();
        data = other.data;
        other.data = nullptr;
    }
    return *this;
}

QString& QString::operator=(const wchar_t* text) {
    if (!text) {
        Empty();
    } else if (IsResourceId(text)) {
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(text)));
    } else {
        Assign(text, CheckedLength(std::wcslen(text)));
    }
    return *this;
}

QString QString::FromLastError() {
    QString text;
    text.FormatSystemError(0);
    return text;
}

int QString::GetLength() const {
    return data ? GetBlock()->length : 0;
}

bool QString::IsEmpty() const {
    return GetLength() == 0;
}

int QString::GetCapacity() const {
    return data ? GetBlock()->capacity : 0;
}

int QString::GetRefCount() const {
    return data ? GetBlock()->refs : 0;
}

const wchar_t* QString::c_str() const {
    return data ? data : L"";
}

void QString::Append(const wchar_t* text) {
    if (IsResourceId(text)) {
        if (text) Append(QString(text).c_str());
        return;
    }
    if (!*text) return;
    const int added = CheckedLength(std::wcslen(text));
    MakeUnique();
    const int oldLength = GetLength();
    const int newLength = CheckedLength(static_cast<size_t>(oldLength) + added);
    // Appending grows at the same boundary as the rounding: a length that
    // would fill the block up to its terminator slot moves to the next size.
    if (data && newLength + 1 < GetCapacity()) {
        std::memmove(data + oldLength, text, sizeof(wchar_t) * added);
        SetLength(newLength);
        return;
    }
    // The text may live in the old block, so that block is released only
    // after the text has been copied out of it.
    Block* grown = Block::ForLength(newLength);
    if (data) std::memcpy(grown->Chars(), data, sizeof(wchar_t) * GetCapacity());
    std::memcpy(grown->Chars() + oldLength, text, sizeof(wchar_t) * added);
    Release();
    Adopt(grown);
    SetLength(newLength);
}

void QString::Empty() {
    if (!data) return;
    MakeUnique();
    SetLength(0);
}

wchar_t* QString::GetBuffer(int n) {
    const int length = n > 0 ? CheckedLength(static_cast<size_t>(n)) : 0;
    Block* fresh = Block::ForLength(length);
    Release();
    Adopt(fresh);
    SetLength(length);
    return data;
}

void QString::Trim() {
    if (!data) return;
    MakeUnique();
    int end = GetLength();
    while (end > 0 && std::iswspace(data[end - 1])) --end;
    int start = 0;
    while (start < end && std::iswspace(data[start])) ++start;
    std::memmove(data, data + start, sizeof(wchar_t) * (end - start));
    SetLength(end - start);
}

QString QString::Mid(int start) const {
    const int length = GetLength();
    if (start < 0) start = 0;
    if (start > length) start = length;
    return QString(c_str() + start, length - start);
}

void QString::Format(const wchar_t* format, ...) {
    if (!format) {
        Empty();
        return;
    }
    const QString loadedFormat = IsResourceId(format) ? QString(format) : QString();
    if (IsResourceId(format)) format = loadedFormat.c_str();
    // Formatting into a separate area lets the arguments point into this
    // very string.
    std::unique_ptr<wchar_t[]> area(new wchar_t[kFormatRoom]());
    va_list args;
    va_start(args, format);
    // The C runtime's own formatter: %s in a wide format takes a wide string.
    const int written = _vsnwprintf(area.get(), kFormatRoom, format, args);
    va_end(args);
    int length = written;
    if (written < 0 || written >= kFormatRoom) {
        area[kFormatRoom - 1] = 0;
        length = static_cast<int>(std::wcslen(area.get()));
        // A cut through a surrogate pair would leave half a character.
        if (length > 0 && IS_HIGH_SURROGATE(area[length - 1])) --length;
    }
    Assign(area.get(), length);
}

void QString::FormatSystemError(DWORD code) {
    const DWORD error = code ? code : GetLastError();
    wchar_t* text = nullptr;
    // Without IGNORE_INSERTS a message with %1 placeholders would read
    // arguments that nobody passed.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, LANG_USER_DEFAULT, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(text);
    if (length > 0 && text) {
        Assign(text, CheckedLength(length));
    } else {
        Format(L"Error %ld occured.", static_cast<long>(error));
    }
}

bool QString::LoadString(UINT id) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    MakeUnique();
    for (int room = kLoadStep;; room += kLoadStep) {
        if (GetCapacity() < room) {
            Block* larger = Block::ForLength(room - 1);
            Release();
            Adopt(larger);
        }
        const int loaded = LoadStringW(module, id, data, room);
        if (loaded < room - 1) {
            SetLength(loaded > 0 ? loaded : 0);
            return loaded > 0;
        }
    }
}

int QString::CompareNoCase(const QString& other) const {
    const wchar_t* left = c_str();
    const wchar_t* right = other.c_str();
    for (;; ++left, ++right) {
        const wchar_t a = FoldAscii(*left);
        const wchar_t b = FoldAscii(*right);
        if (a != b) return a < b ? -1 : 1;
        if (!a) return 0;
    }
}

int QString::FindNoCase(const wchar_t* text) const {
    if (IsResourceId(text)) return -1;
    const size_t textLength = std::wcslen(text);
    const size_t length = static_cast<size_t>(GetLength());
    if (textLength > length) return -1;
    const wchar_t* chars = c_str();
    for (size_t start = 0; start + textLength <= length; ++start) {
        size_t matched = 0;
        while (matched < textLength && FoldAscii(chars[start + matched]) == FoldAscii(text[matched])) {
            ++matched;
        }
        if (matched == textLength) return static_cast<int>(start);
    }
    return -1;
}

bool QString::operator==(const QString& other) const {
    if (this == &other) return true;
    if (!data || !other.data) return false;
    return std::wcscmp(data, other.data) == 0;
}

wchar_t* QString::MakeUnique() {
    if (!data) return nullptr;
    Block* shared = GetBlock();
    if (shared->refs > 1) {
        Block* own = Block::Allocate(shared->capacity);
        own->length = shared->length;
        std::memcpy(own->Chars(), data, sizeof(wchar_t) * (shared->length + 1));
        // Another owner may have let go meanwhile; whoever drops the count
        // below 1 frees the block.
        Release();
        Adopt(own);
    }
    return data;
}

QString::Block* QString::GetBlock() const {
    return reinterpret_cast<Block*>(data) - 1;
}

void QString::Release() {
    if (!data) return;
    Block* block = GetBlock();
    data = nullptr;
    if (InterlockedDecrement(&block->refs) < 1) std::free(block);
}

// Copies into the own block when it has room, else into a new block of the
// rounded capacity; the text may point into the own block.
void QString::Assign(const wchar_t* text, int length) {
    MakeUnique();
    if (data && length <= GetCapacity() - 1) {
        std::memmove(data, text, sizeof(wchar_t) * length);
        SetLength(length);
        return;
    }
    Block* fresh = Block::ForLength(length);
    std::memcpy(fresh->Chars(), text, sizeof(wchar_t) * length);
    Release();
    Adopt(fresh);
    SetLength(length);
}

void QString::Adopt(Block* block) {
    data = block->Chars();
}

void QString::SetLength(int length) {
    GetBlock()->length = length;
    data[length] = 0;
}

QString operator+(const QString& left, const QString& right) {
    return QString(left.c_str(), left.GetLength(), right.c_str(), right.GetLength());
}

QString operator+(const QString& left, const wchar_t* right) {
    if (IsResourceId(right)) return left + QString(right);
    return QString(left.c_str(), left.GetLength(), right, CheckedLength(std::wcslen(right)));
}

QString operator+(const wchar_t* left, const QString& right) {
    if (IsResourceId(left)) return QString(left) + right;
    return QString(left, CheckedLength(std::wcslen(left)), right.c_str(), right.GetLength());
}

QString operator+(const QString& left, wchar_t right) {
    return QString(left.c_str(), left.GetLength(), &right, 1);
}

}  // namespace qstd
}  // namespace kiln
