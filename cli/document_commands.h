#pragma once

#include "cli/commands.h"

// import TARGET SOURCE [--source-password-stdin]: copies every card of
// SOURCE under a new "Import" card of TARGET and prints that card's id.
extern const OptionSpec kImportOptions[1];
void runImport(const Invocation& invocation);

// export DB ID FILE [--force]: writes the card as RTF, or as a Word document
// when FILE ends in ".docx". A file already at FILE is refused unless --force
// is given, and is only ever replaced by a complete new one.
extern const OptionSpec kExportOptions[1];
void runExport(const Invocation& invocation);

// export-tree DB ID FILE [--force]: writes the card and every card below it
// (every card for ID 0) as one Word document when FILE ends in ".docx", else
// as one web page; an existing FILE as for export.
void runExportTree(const Invocation& invocation);
