#include "documents/paragraph_text.h"

#include <string>
#include <vector>

namespace {

class ParagraphText {
public:
    ParagraphText(const ParagraphTextOptions& options, TextGatherer& text) : options(options), text(text) {}

    void Start(XmlPartWalker& walker) {
        if (walker.Is(L"Fallback")) {
            ++inFallback;
        } else if (walker.Is(L"t")) {
            ++inText;
        } else if (walker.Is(L"r")) {
            ++inRun;
        } else if (walker.Is(L"tr")) {
            cellsInRow.push_back(0);
        } else if (walker.Is(L"tc")) {
            if (!cellsInRow.empty() && cellsInRow.back()++ > 0) Put(L'\t');
            spacePending = false;
        } else if (inRun > 0 && walker.Is(L"tab")) {
            PutText(L"\t", 1);
        } else if (walker.Is(L"br") || (inRun > 0 && walker.Is(L"cr"))) {
            if (Included()) PutText(L"\n", 1);
        } else if (walker.Is(L"sp")) {
            inShape = true;
            shapeIncluded = !options.bodyPlaceholdersOnly;
        } else if (inShape && walker.Is(L"ph")) {
            std::wstring type;
            shapeIncluded = !options.bodyPlaceholdersOnly || (walker.Attribute(L"type", false, type) && type == L"body");
        }
    }

    void End(XmlPartWalker& walker) {
        if (walker.Is(L"Fallback")) {
            if (inFallback > 0) --inFallback;
        } else if (walker.Is(L"t")) {
            if (inText > 0) --inText;
        } else if (walker.Is(L"r")) {
            if (inRun > 0) --inRun;
        } else if (walker.Is(L"p")) {
            EndParagraph();
        } else if (walker.Is(L"tc")) {
            spacePending = false;
        } else if (walker.Is(L"tr")) {
            if (!cellsInRow.empty()) cellsInRow.pop_back();
            if (Included()) Put(L'\n');
            spacePending = false;
        } else if (walker.Is(L"sp")) {
            inShape = false;
        }
    }

    void Text(XmlPartWalker& walker) {
        if (inText > 0) PutText(walker.Text(), walker.TextLength());
    }

private:
    // The fallback of alternate content repeats what its choice holds.
    bool Included() const {
        return inFallback == 0 && (!options.bodyPlaceholdersOnly || (inShape && shapeIncluded));
    }

    void EndParagraph() {
        if (!Included()) return;
        if (!cellsInRow.empty()) {
            // The paragraphs of one cell stay on the row's line.
            spacePending = spacePending || paragraphHasText;
        } else if (paragraphHasText || options.keepEmptyParagraphs) {
            Put(L'\n');
        }
        paragraphHasText = false;
    }

    void PutText(const wchar_t* units, size_t count) {
        if (!Included() || count == 0) return;
        if (spacePending) Put(L' ');
        spacePending = false;
        text.Append(units, count);
        paragraphHasText = true;
    }

    void Put(wchar_t unit) { text.Append(unit); }

    const ParagraphTextOptions& options;
    TextGatherer& text;
    int inFallback = 0;
    int inText = 0;
    int inRun = 0;
    std::vector<int> cellsInRow;
    bool spacePending = false;
    bool paragraphHasText = false;
    bool inShape = false;
    bool shapeIncluded = true;
};

}  // namespace

bool GatherParagraphText(XmlPartWalker& walker, const ParagraphTextOptions& options, TextGatherer& text) {
    ParagraphText gathered(options, text);
    XmlPartWalker::Node node;
    while (walker.Next(node)) {
        switch (node) {
            case XmlPartWalker::Node::Start:
                gathered.Start(walker);
                break;
            case XmlPartWalker::Node::End:
                gathered.End(walker);
                break;
            case XmlPartWalker::Node::Text:
                gathered.Text(walker);
                break;
            case XmlPartWalker::Node::Done:
                return true;
        }
    }
    return false;
}
