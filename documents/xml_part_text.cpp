#include "documents/xml_part_text.h"

#include <shlwapi.h>

#include <cstdint>
#include <new>

#include "core/qbuffer.h"
#include "documents/com_ptr.h"
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
    void Append(const wchar_t* units, UINT count) { bytes.Append(units, count * sizeof(wchar_t)); }
    void Append(wchar_t unit) { bytes.Append(&unit, sizeof(wchar_t)); }

    QString ToString() const {
        return QString(reinterpret_cast<const wchar_t*>(bytes.GetData()),
                       static_cast<int>(bytes.GetCount() / sizeof(wchar_t)));
    }

private:
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
    ComPtr<IXmlReader> reader;
    if (!stream || !CreateXmlReaderOn(stream.Get(), reader)) {
        return false;
    }
    try {
        TextGatherer gathered;
        XmlNodeType type;
        // Every node takes at least one byte of the part. A parser that
        // reports more is going round in circles (one was seen repeating an
        // empty text node forever at a cut-off end); that ends the walk
        // like any other fault in the part.
        uint64_t nodesLeft = static_cast<uint64_t>(length) + 16;
        // Anything but S_OK ends the walk: S_FALSE at the end of the input,
        // an error code where the XML stops being well-formed. The text
        // before a fault is kept.
        while (nodesLeft-- > 0 && reader->Read(&type) == S_OK) {
            if (!GatherNode(reader.Get(), type, gathered)) {
                return false;
            }
        }
        text = gathered.ToString();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
