#pragma once

#include "cli/commands.h"

// import TARGET SOURCE [--source-password-stdin]: copies every card of
// SOURCE under a new "Import" card of TARGET and prints that card's id.
extern const OptionSpec kImportOptions[1];
void runImport(const Invocation& invocation);

// export DB ID FILE: writes the card as RTF, or as a Word document when FILE
// ends in ".docx".
void runExport(const Invocation& invocation);

// export-tree DB ID FILE: writes the card and every card below it (every
// card for ID 0) as one Word document when FILE ends in ".docx", else as one
// web page.
void runExportTree(const Invocation& invocation);
