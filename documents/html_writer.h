#pragma once

#include <string>
#include <vector>

#include "documents/branch_card.h"

namespace documents {

// One self-contained web page (HTML5, UTF-8) of the cards in tree order: a
// nested table of contents linking to each card, then each card under a
// heading of its depth (h1 to h6; deeper cards stay at h6) with its
// formatting: paragraph alignment, bulleted and numbered lists, bold,
// italic, underline, strike-through, faces, sizes, colours and links.
// Pictures are embedded as data addresses; the kinds a browser cannot show
// (metafiles) are left out.
std::string BuildBranchHtml(const std::vector<BranchCard>& cards, const wchar_t* language = L"en");

}  // namespace documents
