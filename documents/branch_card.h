#pragma once

#include <string>

#include "documents/rich_document.h"

namespace documents {

// A card of an exported branch: its title, how deep it sits below the
// branch's top (0 for the top) and its content.
struct BranchCard {
    std::wstring title;
    int depth = 0;
    RichDocument content;
};

}  // namespace documents
