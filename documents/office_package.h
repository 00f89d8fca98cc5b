#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/qstring.h"
#include "documents/xml_part_text.h"
#include "zip/qzip_entry_reader.h"
#include "zip/qzipreader.h"

// An Office Open XML package read part by part: each part is unpacked as
// the XML parser pulls it, never whole.
class OfficePackage {
public:
    enum class Probe { Absent, Found };

    bool Open(const kiln::qstd::QString& path);

    // Absent and damaged are told apart: a missing part may be optional, a
    // part that cannot be read is a damaged file. Throws QError for a part
    // that unpacks beyond what any card's text could come from.
    Probe Find(const std::wstring& name);
    // Starts a walk over the part; false when it is absent or cannot be
    // unpacked. One walk at a time: the next one ends the walk before.
    bool Walk(const std::wstring& name, XmlPartWalker& walker);

private:
    kiln::qzip::QZipReader reader;
    // The entry the stream of the current walk reads from.
    std::unique_ptr<kiln::qzip::QZipEntryReader> entry;
};

// A link from one part to another, from the part's relationships part.
struct PartRelationship {
    std::wstring id;
    std::wstring type;
    std::wstring target;  // the target's part name, resolved
};

// The relationships of a part (word/document.xml → word/_rels/document.xml.rels),
// targets resolved against the part's folder; links outside the package are
// left out. An absent relationships part gives none and true; false when it
// cannot be read.
bool ReadRelationships(OfficePackage& package, const std::wstring& part, std::vector<PartRelationship>& links);

// The relationship of this id, or of a type that ends with this last
// segment ("/sharedStrings"); nullptr when there is none.
const PartRelationship* FindRelationship(const std::vector<PartRelationship>& links, const std::wstring& id);
const PartRelationship* FindRelationshipOfType(const std::vector<PartRelationship>& links, const wchar_t* typeEnd);
