#include "documents/xml_part_text.h"

#include <shlwapi.h>

#include <cstdint>
#include <new>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "core/com_ptr.h"
#include "documents/xml_lite.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace {

const wchar_t LineFeed = L'\n';

// A document's text arrives in many small pieces; a buffer that grows by
// half keeps gathering it linear, where appending to a string would copy the
// whole text for every piece.
class TextGatherer {
public:
    void Append(const wchar_t* units, UINT count) {
        Reserve(count);
        bytes.Append(units, count * sizeof(wchar_t));
    }
    void Append(wchar_t unit) {
        Reserve(1);
        bytes.Append(&unit, sizeof(wchar_t));
    }

    QString ToString() const {
        return QString(reinterpret_cast<const wchar_t*>(bytes.GetData()),
                       static_cast<int>(bytes.GetCount() / sizeof(wchar_t)));
    }

private:
    // A small package can inflate to gigabytes of text; what no card could
    // hold is refused before it is gathered.
    void Reserve(UINT count) const {
        if (bytes.GetCount() / sizeof(wchar_t) + count > kLongestOfficeText) {
            throw kiln::qstd::QError(L"The document's text is too long for a card: more than 32 million characters.");
        }
    }

    QBuffer bytes;
};

bool IsParagraph(const wchar_t* localName, UINT length) {
    return length == 1 && localName[0] == L'p';
}

// Each node kind is read the way the parser hands it over; a read that fails
// means the parser is in a state we cannot trust, and the whole text is lost.
bool GatherNode(IXmlReader* reader, XmlNodeType type, TextGatherer& text) {
    const wchar_t* value;
    const wchar_t* prefix;
    const wchar_t* localName;
    UINT length;
    UINT prefixLength;
    switch (type) {
        case XmlNodeType_Text:
            if (FAILED(reader->GetValue(&value, &length))) {
                return false;
            }
            text.Append(value, length);
            return true;
        case XmlNodeType_Whitespace:
            if (FAILED(reader->GetValue(&value, &length))) {
                return false;
            }
            text.Append(value, length);
            text.Append(LineFeed);
            return true;
        case XmlNodeType_Element:
        case XmlNodeType_EndElement:
            if (FAILED(reader->GetPrefix(&prefix, &prefixLength)) ||
                FAILED(reader->GetLocalName(&localName, &length))) {
                return false;
            }
            // An empty paragraph written as <w:p/> has no end node of its
            // own, yet it is a paragraph end like <w:p></w:p>.
            if (IsParagraph(localName, length) &&
                (type == XmlNodeType_EndElement || reader->IsEmptyElement())) {
                text.Append(LineFeed);
            }
            return true;
        case XmlNodeType_CDATA:
        case XmlNodeType_Comment:
            return SUCCEEDED(reader->GetValue(&value, &length));
        case XmlNodeType_ProcessingInstruction:
            return SUCCEEDED(reader->GetLocalName(&localName, &length)) &&
                   SUCCEEDED(reader->GetValue(&value, &length));
        default:
            return true;
    }
}

}  // namespace

bool XmlPartToText(const unsigned char* bytes, unsigned length, QString& text) {
    text = QString();
    if (length == 0) {
        return true;
    }
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(bytes, length));
    return stream && XmlStreamToText(stream.Get(), length, text);
}

bool XmlStreamToText(IStream* input, uint64_t length, QString& text) {
    text = QString();
    if (length == 0) {
        return true;
    }
    ComPtr<IXmlReader> reader;
    if (!CreateXmlReaderOn(input, reader)) {
        return false;
    }
    try {
        TextGatherer gathered;
        XmlNodeType type;
        // Every node takes at least one byte of the part. A parser that
        // reports more is going round in circles (one was seen repeating an
        // empty text node forever at a cut-off end); that is a fault in the
        // part like any other.
        uint64_t nodesLeft = length + 16;
        HRESULT read;
        bool rooted = false;
        while ((read = reader->Read(&type)) == S_OK) {
            if (nodesLeft-- == 0 || !GatherNode(reader.Get(), type, gathered)) {
                return false;
            }
            rooted = rooted || type == XmlNodeType_Element;
        }
        // S_FALSE is the end of the input. Anything else is XML the parser
        // cannot read (too deep, a document type, cut off, damaged data): its
        // text is not the document's, and part of it would pass for all. Nor
        // is input without a single element (zeros, binary) a document.
        if (read != S_FALSE || !rooted) return false;
        text = gathered.ToString();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
