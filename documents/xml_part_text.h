#pragma once

#include <objidl.h>
#include <xmllite.h>

#include <cstdint>
#include <string>

#include "core/com_ptr.h"
#include "core/qbuffer.h"
#include "core/qstring.h"

// The longest text an Office file may give a card, in UTF-16 units.
const unsigned kLongestOfficeText = 32000000;

// A document's text arrives in many small pieces; a buffer that grows by
// half keeps gathering it linear, where appending to a string would copy the
// whole text for every piece. Throws QError when the text grows beyond
// kLongestOfficeText, before the memory is taken.
class TextGatherer {
public:
    void Append(const wchar_t* units, size_t count);
    void Append(wchar_t unit) { Append(&unit, 1); }
    void Append(const TextGatherer& other);

    size_t GetLength() const { return bytes.GetCount() / sizeof(wchar_t); }
    const wchar_t* GetData() const { return reinterpret_cast<const wchar_t*>(bytes.GetData()); }
    bool IsEmpty() const { return bytes.GetCount() == 0; }
    kiln::qstd::QString ToString() const;

private:
    kiln::qstd::QBuffer bytes;
};

// The nodes of one XML part as a walk of starts, ends and text: an empty
// element gives its end too, comments, CDATA and processing instructions are
// passed over. A part the parser cannot read (not well-formed, nested deeper
// than it goes, holding a document type declaration, cut off, without a
// single element) makes Next fail, and the walk with it: part of a text would
// pass for all of it.
class XmlPartWalker {
public:
    enum class Node { Start, End, Text, Done };

    // length is the part's size, which bounds the nodes it can hold.
    bool Open(IStream* input, uint64_t length);
    bool Next(Node& node);

    // Of a Start or End: whether the element's local name is this one.
    bool Is(const wchar_t* localName) const;
    // Of Text: the characters, and whether they are whitespace only.
    const wchar_t* Text() const { return value; }
    UINT TextLength() const { return valueLength; }
    bool IsWhitespace() const { return whitespace; }

    // Of a Start: the value of the attribute of this local name, without a
    // namespace or (qualified) in any namespace. False when it is absent.
    bool Attribute(const wchar_t* localName, bool qualified, std::wstring& result);

private:
    bool ReadName();

    ComPtr<IXmlReader> reader;
    uint64_t nodesLeft = 0;
    bool rooted = false;
    bool endPending = false;
    bool whitespace = false;
    const wchar_t* name = nullptr;
    UINT nameLength = 0;
    const wchar_t* value = nullptr;
    UINT valueLength = 0;
};
