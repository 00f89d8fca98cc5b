#include <string>
#include <vector>

#include "documents/office_kinds_text.h"
#include "documents/paragraph_text.h"

namespace {

using Node = XmlPartWalker::Node;

// The slides' relationship ids in the presentation's order.
bool ReadSlideList(OfficePackage& package, const std::wstring& part, std::vector<std::wstring>& slides) {
    XmlPartWalker walker;
    if (!package.Walk(part, walker)) return false;
    Node node;
    while (walker.Next(node)) {
        if (node == Node::Done) return true;
        if (node != Node::Start || !walker.Is(L"sldId")) continue;
        std::wstring id;
        if (!walker.Attribute(L"id", true, id)) return false;
        slides.push_back(id);
    }
    return false;
}

bool GatherNotes(OfficePackage& package, const std::wstring& slide, TextGatherer& text) {
    std::vector<PartRelationship> links;
    if (!ReadRelationships(package, slide, links)) return false;
    const PartRelationship* notes = FindRelationshipOfType(links, L"/notesSlide");
    if (!notes) return true;
    XmlPartWalker walker;
    ParagraphTextOptions options;
    options.keepEmptyParagraphs = false;
    options.bodyPlaceholdersOnly = true;
    return package.Walk(notes->target, walker) && GatherParagraphText(walker, options, text);
}

}  // namespace

bool GatherPresentationText(OfficePackage& package, TextGatherer& text) {
    const std::wstring presentation = L"ppt/presentation.xml";
    std::vector<std::wstring> slides;
    std::vector<PartRelationship> links;
    if (!ReadSlideList(package, presentation, slides) || !ReadRelationships(package, presentation, links)) {
        return false;
    }
    ParagraphTextOptions options;
    options.keepEmptyParagraphs = false;
    bool first = true;
    for (const std::wstring& id : slides) {
        const PartRelationship* slide = FindRelationship(links, id);
        XmlPartWalker walker;
        if (!slide || !package.Walk(slide->target, walker)) return false;
        if (!first) text.Append(L'\n');
        first = false;
        if (!GatherParagraphText(walker, options, text)) return false;
        TextGatherer notes;
        if (!GatherNotes(package, slide->target, notes)) return false;
        if (!notes.IsEmpty()) {
            text.Append(L"Notes:\n", 7);
            text.Append(notes);
        }
    }
    return true;
}
