#include "documents/branch_export.h"

#include <windows.h>

#include <string>

#include "core/qerror.h"
#include "documents/card_export.h"
#include "documents/docx_writer.h"
#include "documents/html_writer.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace documents {

RichDocument JoinBranch(const std::vector<BranchCard>& cards) {
    RichDocument joined;
    for (const BranchCard& card : cards) {
        RichParagraph heading;
        heading.heading = card.depth < 9 ? card.depth + 1 : 9;
        RichRun title;
        title.text = card.title;
        heading.runs.push_back(title);
        joined.paragraphs.push_back(heading);
        const int links = static_cast<int>(joined.links.size());
        const int pictures = static_cast<int>(joined.pictures.size());
        for (RichParagraph paragraph : card.content.paragraphs) {
            for (RichRun& run : paragraph.runs) {
                if (run.link >= 0) run.link += links;
                if (run.picture >= 0) run.picture += pictures;
            }
            joined.paragraphs.push_back(paragraph);
        }
        joined.links.insert(joined.links.end(), card.content.links.begin(), card.content.links.end());
        for (const RichPicture& picture : card.content.pictures) joined.pictures.push_back(picture);
    }
    return joined;
}

void ExportBranch(const QString& path, const std::vector<BranchCard>& cards) {
    if (IsDocxName(path)) {
        const QBuffer docx = BuildDocx(JoinBranch(cards));
        WriteExportFile(path, docx.GetData(), docx.GetCount());
    } else {
        const std::string html = BuildBranchHtml(cards);
        WriteExportFile(path, html.data(), html.size());
    }
}

}  // namespace documents
