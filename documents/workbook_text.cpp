#include <string>
#include <utility>
#include <vector>

#include "documents/office_kinds_text.h"

namespace {

using Node = XmlPartWalker::Node;

struct Sheet {
    std::wstring name;
    std::wstring relationship;
};

bool ReadSheetList(OfficePackage& package, const std::wstring& part, std::vector<Sheet>& sheets) {
    XmlPartWalker walker;
    if (!package.Walk(part, walker)) return false;
    Node node;
    while (walker.Next(node)) {
        if (node == Node::Done) return true;
        if (node != Node::Start || !walker.Is(L"sheet")) continue;
        Sheet sheet;
        walker.Attribute(L"name", false, sheet.name);
        if (!walker.Attribute(L"id", true, sheet.relationship)) return false;
        sheets.push_back(sheet);
    }
    return false;
}

// All strings of the table in one buffer, each as its start and length:
// a workbook can hold millions of short strings.
class SharedStrings {
public:
    bool Read(OfficePackage& package, const std::wstring& part) {
        XmlPartWalker walker;
        if (!package.Walk(part, walker)) return false;
        int inText = 0;
        int inPhonetic = 0;
        size_t start = 0;
        Node node;
        while (walker.Next(node)) {
            switch (node) {
                case Node::Start:
                    if (walker.Is(L"si")) start = text.GetLength();
                    if (walker.Is(L"t")) ++inText;
                    // A reading guide above the characters, not their text.
                    if (walker.Is(L"rPh")) ++inPhonetic;
                    break;
                case Node::End:
                    if (walker.Is(L"si")) strings.emplace_back(start, text.GetLength() - start);
                    if (walker.Is(L"t") && inText > 0) --inText;
                    if (walker.Is(L"rPh") && inPhonetic > 0) --inPhonetic;
                    break;
                case Node::Text:
                    if (inText > 0 && inPhonetic == 0) text.Append(walker.Text(), walker.TextLength());
                    break;
                case Node::Done:
                    return true;
            }
        }
        return false;
    }

    bool Get(const std::wstring& index, std::wstring& value) const {
        size_t at = 0;
        for (wchar_t digit : index) {
            if (digit < L'0' || digit > L'9' || at > strings.size()) return false;
            at = at * 10 + static_cast<size_t>(digit - L'0');
        }
        if (index.empty() || at >= strings.size()) return false;
        value.assign(text.GetData() + strings[at].first, strings[at].second);
        return true;
    }

private:
    TextGatherer text;
    std::vector<std::pair<size_t, size_t>> strings;
};

const unsigned kLastRow = 1048576;
const unsigned kLastColumn = 16384;

// "C12" → column 2 (from 0), row 12; false when the reference is not one.
bool ParseReference(const std::wstring& reference, unsigned& column, unsigned& row) {
    size_t at = 0;
    unsigned letters = 0;
    for (; at < reference.size() && reference[at] >= L'A' && reference[at] <= L'Z'; ++at) {
        letters = letters * 26 + static_cast<unsigned>(reference[at] - L'A' + 1);
        if (letters > kLastColumn) return false;
    }
    unsigned number = 0;
    const size_t digits = at;
    for (; at < reference.size() && reference[at] >= L'0' && reference[at] <= L'9'; ++at) {
        number = number * 10 + static_cast<unsigned>(reference[at] - L'0');
        if (number > kLastRow) return false;
    }
    if (at != reference.size()) return false;
    column = letters == 0 ? 0 : letters - 1;
    row = digits == at ? 0 : number;
    return letters > 0 || row > 0;
}

class SheetText {
public:
    SheetText(const SharedStrings& shared, TextGatherer& text) : shared(shared), text(text) {}

    bool Gather(XmlPartWalker& walker) {
        Node node;
        while (walker.Next(node)) {
            switch (node) {
                case Node::Start:
                    Start(walker);
                    break;
                case Node::End:
                    if (!End(walker)) return false;
                    break;
                case Node::Text:
                    if (inValue > 0 || (inInline > 0 && inText > 0 && inPhonetic == 0)) {
                        value.append(walker.Text(), walker.TextLength());
                    }
                    break;
                case Node::Done:
                    return true;
            }
        }
        return false;
    }

private:
    void Start(XmlPartWalker& walker) {
        std::wstring attribute;
        unsigned column;
        unsigned row;
        if (walker.Is(L"sheetData")) {
            inSheetData = true;
        } else if (!inSheetData) {
            // Header and footer codes, merged ranges and the like are no
            // cell's text.
        } else if (walker.Is(L"row")) {
            unsigned number = lastRow + 1;
            if (walker.Attribute(L"r", false, attribute) && ParseReference(attribute, column, row) && row > lastRow) {
                number = row;
            }
            for (; lastRow + 1 < number; ++lastRow) text.Append(L'\n');
            lastRow = number;
            tabs = 0;
            nextColumn = 0;
            written = false;
        } else if (walker.Is(L"c")) {
            cellColumn = nextColumn;
            if (walker.Attribute(L"r", false, attribute) && ParseReference(attribute, column, row)) cellColumn = column;
            type.clear();
            walker.Attribute(L"t", false, type);
            value.clear();
        } else if (walker.Is(L"v")) {
            ++inValue;
        } else if (walker.Is(L"is")) {
            ++inInline;
        } else if (walker.Is(L"t")) {
            ++inText;
        } else if (walker.Is(L"rPh")) {
            ++inPhonetic;
        }
    }

    bool End(XmlPartWalker& walker) {
        if (walker.Is(L"sheetData")) {
            inSheetData = false;
        } else if (!inSheetData) {
        } else if (walker.Is(L"row")) {
            text.Append(L'\n');
        } else if (walker.Is(L"c")) {
            return EndCell();
        } else if (walker.Is(L"v")) {
            if (inValue > 0) --inValue;
        } else if (walker.Is(L"is")) {
            if (inInline > 0) --inInline;
        } else if (walker.Is(L"t")) {
            if (inText > 0) --inText;
        } else if (walker.Is(L"rPh")) {
            if (inPhonetic > 0) --inPhonetic;
        }
        return true;
    }

    // A shared string that is not in the table is a damaged workbook.
    bool EndCell() {
        std::wstring shown;
        if (type == L"s") {
            if (!shared.Get(value, shown)) return false;
        } else {
            shown = value;
        }
        nextColumn = cellColumn + 1;
        if (shown.empty()) return true;
        // A row stays one line, whatever breaks its cells hold.
        for (wchar_t& unit : shown) {
            if (unit == L'\n' || unit == L'\r' || unit == L'\t') unit = L' ';
        }
        if (written && cellColumn <= tabs) {
            // Cells out of their columns' order still stay apart.
            text.Append(L'\t');
            ++tabs;
        }
        for (; tabs < cellColumn; ++tabs) text.Append(L'\t');
        written = true;
        text.Append(shown.data(), shown.size());
        return true;
    }

    const SharedStrings& shared;
    TextGatherer& text;
    bool inSheetData = false;
    unsigned lastRow = 0;
    unsigned tabs = 0;
    bool written = false;
    unsigned nextColumn = 0;
    unsigned cellColumn = 0;
    int inValue = 0;
    int inInline = 0;
    int inText = 0;
    int inPhonetic = 0;
    std::wstring type;
    std::wstring value;
};

}  // namespace

bool GatherWorkbookText(OfficePackage& package, TextGatherer& text) {
    const std::wstring workbook = L"xl/workbook.xml";
    std::vector<Sheet> sheets;
    std::vector<PartRelationship> links;
    // A workbook holds at least one sheet: one without is damaged.
    if (!ReadSheetList(package, workbook, sheets) || sheets.empty() || !ReadRelationships(package, workbook, links)) {
        return false;
    }
    SharedStrings shared;
    const PartRelationship* strings = FindRelationshipOfType(links, L"/sharedStrings");
    if (strings && !shared.Read(package, strings->target)) return false;
    bool first = true;
    for (const Sheet& sheet : sheets) {
        const PartRelationship* link = FindRelationship(links, sheet.relationship);
        XmlPartWalker walker;
        if (!link || !package.Walk(link->target, walker)) return false;
        if (!first) text.Append(L'\n');
        first = false;
        text.Append(sheet.name.data(), sheet.name.size());
        text.Append(L'\n');
        SheetText rows(shared, text);
        if (!rows.Gather(walker)) return false;
    }
    return true;
}
