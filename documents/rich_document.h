#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/qbuffer.h"

// The content of a card as the editor formats it, independent of any file
// format: paragraphs of runs of equally formatted text, links and pictures.
namespace documents {

enum class Alignment { Left, Center, Right, Justify };
enum class ListKind { None, Bullet, Numbered };
enum class PictureKind { Png, Jpeg, Emf, Wmf, Bmp };

struct RichPicture {
    PictureKind kind;
    // The whole picture file (a BMP with its file header).
    kiln::qstd::QBuffer bytes;
    // Shown size in twips.
    int width;
    int height;
};

// Text runs hold UTF-16 text with L'\t' for tabs and L'\n' for line breaks
// inside a paragraph. A run with a picture index holds no text.
struct RichRun {
    std::wstring text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    // Empty: the document's default face.
    std::wstring font;
    // Half points; 0: the default size.
    int halfPoints = 0;
    bool colored = false;
    COLORREF color = 0;
    // Index into RichDocument::links, or -1.
    int link = -1;
    // Index into RichDocument::pictures, or -1.
    int picture = -1;
};

struct RichParagraph {
    Alignment alignment = Alignment::Left;
    ListKind list = ListKind::None;
    // The first number of a numbered list that starts here.
    int listStart = 1;
    // A heading's level, 1 to 9; 0 for body text.
    int heading = 0;
    std::vector<RichRun> runs;
};

struct RichDocument {
    std::vector<RichParagraph> paragraphs;
    std::vector<std::wstring> links;
    std::vector<RichPicture> pictures;
};

}  // namespace documents
