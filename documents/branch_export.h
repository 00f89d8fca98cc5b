#pragma once

#include <vector>

#include "core/qstring.h"
#include "documents/branch_card.h"

namespace documents {

// The cards as one document: each card's title as a heading of its depth
// (Heading 1 for the top, at most Heading 9), then its paragraphs, links
// and pictures.
RichDocument JoinBranch(const std::vector<BranchCard>& cards);

// Writes the cards as a Word document when path ends in ".docx", else as a
// web page. The file is written beside its place and moved there only once
// whole: a failure leaves no half-written file, and an older file of that
// name as it was. Raises QError with the system's message.
void ExportBranch(const kiln::qstd::QString& path, const std::vector<BranchCard>& cards);

}  // namespace documents
