#include "documents/office_package.h"

#include "core/qerror.h"
#include "documents/zip_entry_stream.h"

using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qzip::QZFileItem;
using kiln::qzip::QZipEntryReader;

namespace {

const uint64_t kLargestPart = 256u << 20;

// A target is relative to the folder of the part that names it, or, with a
// leading slash, to the package's root.
std::wstring ResolveTarget(const std::wstring& source, const std::wstring& target) {
    std::wstring path;
    if (!target.empty() && target[0] == L'/') {
        path = target.substr(1);
    } else {
        const size_t slash = source.rfind(L'/');
        path = (slash == std::wstring::npos ? std::wstring() : source.substr(0, slash + 1)) + target;
    }
    std::vector<std::wstring> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'/', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring segment = path.substr(start, end - start);
        if (segment == L"..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != L".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::wstring resolved;
    for (const std::wstring& segment : segments) {
        if (!resolved.empty()) resolved += L'/';
        resolved += segment;
    }
    return resolved;
}

std::wstring RelationshipsPart(const std::wstring& part) {
    const size_t slash = part.rfind(L'/');
    if (slash == std::wstring::npos) return L"_rels/" + part + L".rels";
    return part.substr(0, slash + 1) + L"_rels/" + part.substr(slash + 1) + L".rels";
}

}  // namespace

bool OfficePackage::Open(const QString& path) {
    return reader.Open(path) && reader.ReadDirectory();
}

OfficePackage::Probe OfficePackage::Find(const std::wstring& name) {
    QZFileItem item;
    if (!reader.GetTree().Find(name.c_str(), item)) return Probe::Absent;
    // A part beyond any card's text would take minutes to read through: it
    // is refused before it is unpacked.
    if (item.uncompressedSize > kLargestPart) {
        throw QError(L"The document is too large to read: its text part unpacks to more than 256 MB.");
    }
    return Probe::Found;
}

bool OfficePackage::Walk(const std::wstring& name, XmlPartWalker& walker) {
    if (Find(name) == Probe::Absent) return false;
    QZFileItem item;
    reader.GetTree().Find(name.c_str(), item);
    // A part of no bytes holds nothing at all: taken for one without text,
    // it would empty the card it is read into.
    if (item.uncompressedSize == 0) return false;
    entry.reset(new QZipEntryReader());
    if (!reader.OpenEntry(item, *entry)) return false;
    // The parser keeps its own reference to the stream.
    ComPtr<IStream> stream;
    stream.Attach(CreateZipEntryStream(*entry));
    return walker.Open(stream.Get(), item.uncompressedSize);
}

bool ReadRelationships(OfficePackage& package, const std::wstring& part, std::vector<PartRelationship>& links) {
    links.clear();
    const std::wstring name = RelationshipsPart(part);
    if (package.Find(name) == OfficePackage::Probe::Absent) return true;
    XmlPartWalker walker;
    if (!package.Walk(name, walker)) return false;
    XmlPartWalker::Node node;
    while (walker.Next(node)) {
        if (node == XmlPartWalker::Node::Done) return true;
        if (node != XmlPartWalker::Node::Start || !walker.Is(L"Relationship")) continue;
        PartRelationship link;
        std::wstring mode;
        if (walker.Attribute(L"TargetMode", false, mode) && mode == L"External") continue;
        if (!walker.Attribute(L"Id", false, link.id) || !walker.Attribute(L"Type", false, link.type) ||
            !walker.Attribute(L"Target", false, link.target)) {
            continue;
        }
        link.target = ResolveTarget(part, link.target);
        links.push_back(link);
    }
    return false;
}

const PartRelationship* FindRelationship(const std::vector<PartRelationship>& links, const std::wstring& id) {
    for (const PartRelationship& link : links) {
        if (link.id == id) return &link;
    }
    return nullptr;
}

const PartRelationship* FindRelationshipOfType(const std::vector<PartRelationship>& links, const wchar_t* typeEnd) {
    const std::wstring end = typeEnd;
    for (const PartRelationship& link : links) {
        if (link.type.size() >= end.size() && link.type.compare(link.type.size() - end.size(), end.size(), end) == 0) {
            return &link;
        }
    }
    return nullptr;
}
