#pragma once

#include <windows.h>

// The class below has a member named LoadString; <windows.h> maps that name to
// LoadStringA or LoadStringW depending on UNICODE, which would rename the member
// differently in different translation units. The project calls the W API by
// its explicit name, so the macro is of no use to anyone.
#ifdef LoadString
#undef LoadString
#endif

namespace kiln {
namespace qstd {

// Reference-counted, copy-on-write UTF-16 string. The object is a single
// pointer to the characters of a shared block (or null, an empty string that
// owns no block); copies share the block and the first modification of a
// shared block makes a private copy.
class QString {
public:
    QString() = default;
    QString(const QString& other) noexcept;
    QString(QString&& other) noexcept;
    // A pointer value below 0x10000 is a string-table identifier (MAKEINTRESOURCEW)
    // and loads that string; a null pointer gives an empty string.
    QString(const wchar_t* text);
    QString(const wchar_t* text, int length);
    // Multi-byte text; byteLength -1 means NUL-terminated.
    QString(const char* bytes, int byteLength, UINT codePage = CP_UTF8);
    virtual ~QString();

    QString& operator=(const QString& other) noexcept;
    QString& operator=(QString&& other) noexcept;
    QString& operator=(const wchar_t* text);

    // The message-table text of the calling thread's last Windows error.
    static QString FromLastError();

    int GetLength() const;
    bool IsEmpty() const;
    // Room of the block in units, terminator slot included; 0 without a block.
    int GetCapacity() const;
    // How many strings share the block; 0 without a block.
    int GetRefCount() const;

    // Never null: a string without a block reads as "".
    const wchar_t* c_str() const;
    operator const wchar_t*() const { return c_str(); }

    void Append(const wchar_t* text);
    void Empty();
    // Writable room for exactly n units; the old contents are discarded.
    wchar_t* GetBuffer(int n);
    void Trim();
    QString Mid(int start) const;

    // Wide printf formatting (%s takes a wide string). Results longer than
    // 15,998 units are cut to 15,998 units.
    void Format(const wchar_t* format, ...);
    // code 0 means GetLastError().
    void FormatSystemError(DWORD code = 0);
    // Loads from the executable's string table; false when the string is missing.
    bool LoadString(UINT id);

    // Folds only ASCII A-Z, as file paths are compared.
    int CompareNoCase(const QString& other) const;
    int FindNoCase(const wchar_t* text) const;

    // A string without a block equals no other string object, not even
    // another empty one; every string equals itself.
    bool operator==(const QString& other) const;
    bool operator!=(const QString& other) const { return !(*this == other); }

    friend QString operator+(const QString& left, const QString& right);
    friend QString operator+(const QString& left, const wchar_t* right);
    friend QString operator+(const wchar_t* left, const QString& right);
    friend QString operator+(const QString& left, wchar_t right);

protected:
    // Copy-on-write for derived path operations: the block is made private
    // and its characters returned (null when there is no block).
    wchar_t* MakeUnique();

private:
    struct Block;

    QString(const wchar_t* left, int leftLength, const wchar_t* right, int rightLength);

    Block* GetBlock() const;
    void Release();
    void Assign(const wchar_t* text, int length);
    void Adopt(Block* block);
    void SetLength(int length);

    wchar_t* data = nullptr;
};

QString operator+(const QString& left, const QString& right);
QString operator+(const QString& left, const wchar_t* right);
QString operator+(const wchar_t* left, const QString& right);
QString operator+(const QString& left, wchar_t right);

}  // namespace qstd
}  // namespace kiln
