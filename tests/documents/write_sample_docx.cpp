// Writes the sample card as a Word document to the path given, for the
// independent reader's test to open.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cstring>

#include "core/qerror.h"
#include "documents/card_export.h"
#include "sample_card_rtf.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_sample_docx FILE.docx\n");
        return 2;
    }
    kiln::qstd::QBuffer rtf;
    rtf.Append(kSampleCardRtf, static_cast<unsigned>(std::strlen(kSampleCardRtf)));
    try {
        documents::ExportDocx(argv[1], rtf);
    } catch (const kiln::qstd::QError& error) {
        std::fwprintf(stderr, L"%ls\n", error.message.c_str());
        return 1;
    }
    return 0;
}
