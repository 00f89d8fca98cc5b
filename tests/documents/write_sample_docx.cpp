// Writes the sample card as a Word document to the path given, for the
// independent reader's test to open; with --branch, a branch of three cards
// with the sample card at its top.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cstring>
#include <vector>

#include "core/qerror.h"
#include "documents/branch_export.h"
#include "documents/card_export.h"
#include "documents/rtf_reader.h"
#include "sample_card_rtf.h"

namespace {

documents::RichDocument Read(const char* rtf) {
    return documents::ReadRtf(reinterpret_cast<const unsigned char*>(rtf), std::strlen(rtf));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool branch = argc == 3 && std::wcscmp(argv[2], L"--branch") == 0;
    if (argc != 2 && !branch) {
        std::fprintf(stderr, "usage: write_sample_docx FILE.docx [--branch]\n");
        return 2;
    }
    kiln::qstd::QBuffer rtf;
    rtf.Append(kSampleCardRtf, static_cast<unsigned>(std::strlen(kSampleCardRtf)));
    try {
        if (branch) {
            documents::ExportBranch(argv[1], {{L"Top", 0, Read(kSampleCardRtf)},
                                              {L"Child", 1, Read("{\\rtf1\\ansi child text\\par}")},
                                              {L"Grandchild", 2, Read("{\\rtf1\\ansi deep\\par}")}});
        } else {
            documents::ExportDocx(argv[1], rtf);
        }
    } catch (const kiln::qstd::QError& error) {
        std::fwprintf(stderr, L"%ls\n", error.message.c_str());
        return 1;
    }
    return 0;
}
