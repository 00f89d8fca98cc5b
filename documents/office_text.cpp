#include "documents/office_text.h"

#include <new>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "core/com_ptr.h"
#include "documents/xml_part_text.h"
#include "documents/zip_entry_stream.h"
#include "zip/qzipreader.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qzip::QZFileItem;
using kiln::qzip::QZipEntryReader;
using kiln::qzip::QZipReader;

namespace {

enum class Probe { Absent, Extracted, Failed };

const uint64_t kLargestPart = 256u << 20;

// Absent and damaged are told apart: a package without a main document may
// be another kind, but a main document that cannot be read is a damaged
// file, not an empty one.
Probe FindPart(QZipReader& reader, const wchar_t* name, QZFileItem& item) {
    if (!reader.GetTree().Find(name, item)) {
        return Probe::Absent;
    }
    // The part is unpacked as the parser reads it, yet a part beyond any
    // card's text would take minutes to read through: it is refused first.
    if (item.uncompressedSize > kLargestPart) {
        throw QError(L"The document is too large to read: its text part unpacks to more than 256 MB.");
    }
    return Probe::Extracted;
}

// The one part whose text the package gives. Only the first sheet or slide
// is read: no further sheets or slides, no shared strings (cells that refer
// to them contribute their index numbers), no relationships. A sheet or
// slide is looked for only when its package's main part can be read.
Probe ChoosePart(QZipReader& reader, QZFileItem& part) {
    const Probe document = FindPart(reader, L"word/document.xml", part);
    if (document != Probe::Absent) {
        return document;
    }
    const struct {
        const wchar_t* main;
        const wchar_t* first;
    } kinds[] = {{L"xl/workbook.xml", L"xl/worksheets/sheet1.xml"}, {L"ppt/presentation.xml", L"ppt/slides/slide1.xml"}};
    for (const auto& kind : kinds) {
        QZFileItem main;
        if (FindPart(reader, kind.main, main) == Probe::Absent) continue;
        QBuffer mainPart;
        if (!reader.Extract(kind.main, mainPart)) return Probe::Failed;
        return FindPart(reader, kind.first, part) == Probe::Extracted ? Probe::Extracted : Probe::Failed;
    }
    return Probe::Absent;
}

}  // namespace

bool ExtractOfficeText(const QString& path, QString& text) {
    text = QString();
    try {
        QZipReader reader;
        if (!reader.Open(path) || !reader.ReadDirectory()) {
            return false;
        }
        QZFileItem item;
        const Probe chosen = ChoosePart(reader, item);
        if (chosen == Probe::Absent) {
            // A package of none of the three kinds: no text.
            return true;
        }
        QZipEntryReader entry;
        if (chosen == Probe::Failed || !reader.OpenEntry(item, entry)) {
            return false;
        }
        reader.Close();
        ComPtr<IStream> stream;
        stream.Attach(CreateZipEntryStream(entry));
        return XmlStreamToText(stream.Get(), item.uncompressedSize, text);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
