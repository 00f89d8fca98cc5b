#include "documents/xml_part_text.h"

#include <cstring>

#include "core/qerror.h"
#include "documents/character_reference_stream.h"
#include "core/com_ptr.h"
#include "documents/xml_lite.h"

using kiln::qstd::QString;

void TextGatherer::Append(const wchar_t* units, size_t count) {
    // A small package can inflate to gigabytes of text; what no card could
    // hold is refused before it is gathered.
    if (GetLength() + count > kLongestOfficeText) {
        throw kiln::qstd::QError(L"The document's text is too long for a card: more than 32 million characters.");
    }
    bytes.Append(units, count * sizeof(wchar_t));
}

void TextGatherer::Append(const TextGatherer& other) {
    Append(reinterpret_cast<const wchar_t*>(other.bytes.GetData()), other.GetLength());
}

QString TextGatherer::ToString() const {
    return QString(reinterpret_cast<const wchar_t*>(bytes.GetData()), static_cast<int>(GetLength()));
}

bool XmlPartWalker::Open(IStream* input, uint64_t length) {
    // Every node takes at least one byte of the part. A parser that reports
    // more is going round in circles (one was seen repeating an empty text
    // node forever at a cut-off end); that is a fault in the part like any
    // other.
    nodesLeft = length + 16;
    rooted = false;
    endPending = false;
    ComPtr<IStream> widened;
    widened.Attach(CreateCharacterReferenceStream(input));
    return CreateXmlReaderOn(widened.Get(), reader);
}

bool XmlPartWalker::ReadName() {
    return SUCCEEDED(reader->GetLocalName(&name, &nameLength));
}

bool XmlPartWalker::Next(Node& node) {
    if (endPending) {
        // The reader still stands on the empty element; its name is read
        // again, as reading attributes moved the reader meanwhile.
        endPending = false;
        node = Node::End;
        return ReadName();
    }
    XmlNodeType type;
    HRESULT read;
    while ((read = reader->Read(&type)) == S_OK) {
        if (nodesLeft-- == 0) return false;
        switch (type) {
            case XmlNodeType_Element:
                rooted = true;
                endPending = reader->IsEmptyElement() != FALSE;
                node = Node::Start;
                return ReadName();
            case XmlNodeType_EndElement:
                node = Node::End;
                return ReadName();
            case XmlNodeType_Text:
            case XmlNodeType_Whitespace:
                whitespace = type == XmlNodeType_Whitespace;
                node = Node::Text;
                return SUCCEEDED(reader->GetValue(&value, &valueLength));
            case XmlNodeType_CDATA:
            case XmlNodeType_Comment:
                if (FAILED(reader->GetValue(&value, &valueLength))) return false;
                break;
            case XmlNodeType_ProcessingInstruction:
                if (FAILED(reader->GetLocalName(&name, &nameLength)) ||
                    FAILED(reader->GetValue(&value, &valueLength))) {
                    return false;
                }
                break;
            default:
                break;
        }
    }
    // S_FALSE is the end of the input. Anything else is XML the parser
    // cannot read; nor is input without a single element (zeros, binary) a
    // document.
    node = Node::Done;
    return read == S_FALSE && rooted;
}

bool XmlPartWalker::Is(const wchar_t* localName) const {
    return wcslen(localName) == nameLength && wmemcmp(localName, name, nameLength) == 0;
}

bool XmlPartWalker::Attribute(const wchar_t* localName, bool qualified, std::wstring& result) {
    bool found = false;
    for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK && !found; at = reader->MoveToNextAttribute()) {
        const wchar_t* attributeName;
        const wchar_t* prefix;
        UINT length;
        UINT prefixLength;
        if (FAILED(reader->GetLocalName(&attributeName, &length)) ||
            FAILED(reader->GetPrefix(&prefix, &prefixLength))) {
            break;
        }
        if ((prefixLength > 0) != qualified || wcslen(localName) != length ||
            wmemcmp(localName, attributeName, length) != 0) {
            continue;
        }
        const wchar_t* text;
        UINT textLength;
        if (SUCCEEDED(reader->GetValue(&text, &textLength))) {
            result.assign(text, textLength);
            found = true;
        }
    }
    reader->MoveToElement();
    return found;
}
