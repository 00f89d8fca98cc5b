#include "documents/office_kinds_text.h"
#include "documents/paragraph_text.h"

bool GatherWordText(OfficePackage& package, TextGatherer& text) {
    XmlPartWalker walker;
    return package.Walk(L"word/document.xml", walker) && GatherParagraphText(walker, ParagraphTextOptions(), text);
}
