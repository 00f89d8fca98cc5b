#include "documents/office_text.h"

#include <new>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "documents/xml_part_text.h"
#include "zip/qzipreader.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qzip::QZFileItem;
using kiln::qzip::QZipReader;

namespace {

enum class Probe { Absent, Extracted, Failed };

const uint64_t kLargestPart = 256u << 20;

// Absent and damaged are told apart: a package without a main document may
// be another kind, but a main document that cannot be decompressed is a
// damaged file, not an empty one.
Probe ExtractPart(QZipReader& reader, const wchar_t* name, QBuffer& part) {
    QZFileItem item;
    if (!reader.GetTree().Find(name, item)) {
        return Probe::Absent;
    }
    // The part is unpacked whole, and no larger than its directory entry
    // says: a size beyond what any card's text needs is refused before a
    // byte of memory is taken for it.
    if (item.uncompressedSize > kLargestPart) {
        throw QError(L"The document is too large to read: its text part unpacks to more than 256 MB.");
    }
    part.RemoveAll();
    return reader.Extract(name, part) ? Probe::Extracted : Probe::Failed;
}

// The one part whose text the package gives. Only the first sheet or slide
// is read: no further sheets or slides, no shared strings (cells that refer
// to them contribute their index numbers), no relationships.
Probe ChoosePart(QZipReader& reader, QBuffer& part) {
    const Probe document = ExtractPart(reader, L"word/document.xml", part);
    if (document != Probe::Absent) {
        return document;
    }
    const Probe workbook = ExtractPart(reader, L"xl/workbook.xml", part);
    if (workbook == Probe::Failed) {
        return Probe::Failed;
    }
    if (workbook == Probe::Extracted) {
        return ExtractPart(reader, L"xl/worksheets/sheet1.xml", part) == Probe::Extracted ? Probe::Extracted
                                                                                        : Probe::Failed;
    }
    const Probe presentation = ExtractPart(reader, L"ppt/presentation.xml", part);
    if (presentation == Probe::Extracted) {
        return ExtractPart(reader, L"ppt/slides/slide1.xml", part) == Probe::Extracted ? Probe::Extracted
                                                                                     : Probe::Failed;
    }
    return presentation;
}

}  // namespace

bool ExtractOfficeText(const QString& path, QString& text) {
    text = QString();
    try {
        QBuffer part;
        QZipReader reader;
        if (!reader.Open(path) || !reader.ReadDirectory()) {
            return false;
        }
        const Probe chosen = ChoosePart(reader, part);
        reader.Close();
        if (chosen == Probe::Failed) {
            return false;
        }
        // A package of none of the three kinds leaves the part empty: no text.
        return XmlPartToText(part.GetData(), part.GetCount(), text);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
