#include "documents/office_text.h"

#include <new>

#include "documents/office_kinds_text.h"
#include "documents/office_package.h"
#include "documents/xml_part_text.h"

using kiln::qstd::QString;

namespace {

// The package's kind is told by its main part, whatever the file's
// extension says; a package of none of the three kinds has no text.
bool GatherPackageText(OfficePackage& package, TextGatherer& text) {
    const struct {
        const wchar_t* main;
        bool (*gather)(OfficePackage&, TextGatherer&);
    } kinds[] = {
        {L"word/document.xml", GatherWordText},
        {L"xl/workbook.xml", GatherWorkbookText},
        {L"ppt/presentation.xml", GatherPresentationText},
    };
    for (const auto& kind : kinds) {
        if (package.Find(kind.main) == OfficePackage::Probe::Found) return kind.gather(package, text);
    }
    return true;
}

}  // namespace

bool ExtractOfficeText(const QString& path, QString& text) {
    text = QString();
    try {
        OfficePackage package;
        TextGatherer gathered;
        if (!package.Open(path) || !GatherPackageText(package, gathered)) return false;
        text = gathered.ToString();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
