#include "documents/html_writer.h"

#include <windows.h>

#include <cstdio>

namespace documents {

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], bytes, nullptr, nullptr);
    return out;
}

// Text and attribute values alike; tabs and line breaks of a run are
// markup of their own.
std::string Escaped(const std::wstring& text) {
    std::string out;
    for (char c : Utf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\n': out += "<br>"; break;
            case '\t': out += "&#9;"; break;
            default:
                // Other control characters are not allowed in HTML text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\r') out += c;
        }
    }
    return out;
}

std::string Base64(const kiln::qstd::QBuffer& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const unsigned char* data = bytes.GetData();
    const size_t length = bytes.GetCount();
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    for (size_t at = 0; at < length; at += 3) {
        const unsigned value = (data[at] << 16) | (at + 1 < length ? data[at + 1] << 8 : 0) |
                               (at + 2 < length ? data[at + 2] : 0);
        out += digits[(value >> 18) & 63];
        out += digits[(value >> 12) & 63];
        out += at + 1 < length ? digits[(value >> 6) & 63] : '=';
        out += at + 2 < length ? digits[value & 63] : '=';
    }
    return out;
}

const char* MediaType(PictureKind kind) {
    switch (kind) {
        case PictureKind::Png: return "image/png";
        case PictureKind::Jpeg: return "image/jpeg";
        case PictureKind::Bmp: return "image/bmp";
        case PictureKind::Emf:
        case PictureKind::Wmf: return nullptr;
    }
    return nullptr;
}

std::string Picture(const RichPicture& picture) {
    const char* type = MediaType(picture.kind);
    if (!type) return std::string();
    // Fifteen twips to the CSS pixel.
    return "<img alt=\"\" width=\"" + std::to_string(picture.width / 15) + "\" height=\"" +
           std::to_string(picture.height / 15) + "\" src=\"data:" + type + ";base64," + Base64(picture.bytes) + "\">";
}

std::string Run(const RichDocument& document, const RichRun& run) {
    if (run.picture >= 0 && static_cast<size_t>(run.picture) < document.pictures.size()) {
        return Picture(document.pictures[static_cast<size_t>(run.picture)]);
    }
    std::string open;
    std::string close;
    const auto wrap = [&](const char* tag) {
        open += std::string("<") + tag + ">";
        close = std::string("</") + tag + ">" + close;
    };
    if (run.link >= 0 && static_cast<size_t>(run.link) < document.links.size()) {
        open += "<a href=\"" + Escaped(document.links[static_cast<size_t>(run.link)]) + "\">";
        close = "</a>";
    }
    std::string style;
    if (!run.font.empty()) style += "font-family:'" + Escaped(run.font) + "';";
    if (run.halfPoints > 0) {
        style += "font-size:" + std::to_string(run.halfPoints / 2) + (run.halfPoints % 2 ? ".5" : "") + "pt;";
    }
    if (run.colored) {
        char color[16];
        std::snprintf(color, sizeof color, "color:#%02x%02x%02x;", GetRValue(run.color), GetGValue(run.color),
                      GetBValue(run.color));
        style += color;
    }
    if (!style.empty()) {
        open += "<span style=\"" + style + "\">";
        close = "</span>" + close;
    }
    if (run.bold) wrap("b");
    if (run.italic) wrap("i");
    if (run.underline) wrap("u");
    if (run.strike) wrap("s");
    return open + Escaped(run.text) + close;
}

const char* AlignmentStyle(Alignment alignment) {
    switch (alignment) {
        case Alignment::Center: return " style=\"text-align:center\"";
        case Alignment::Right: return " style=\"text-align:right\"";
        case Alignment::Justify: return " style=\"text-align:justify\"";
        case Alignment::Left: return "";
    }
    return "";
}

std::string Content(const RichDocument& document) {
    std::string out;
    // A numbered list runs on as long as its paragraphs follow each other,
    // as in the Word document.
    ListKind open = ListKind::None;
    for (const RichParagraph& paragraph : document.paragraphs) {
        if (open != ListKind::None && paragraph.list != open) {
            out += open == ListKind::Bullet ? "</ul>\n" : "</ol>\n";
            open = ListKind::None;
        }
        if (paragraph.list != ListKind::None && open == ListKind::None) {
            if (paragraph.list == ListKind::Bullet) {
                out += "<ul>\n";
            } else {
                out += paragraph.listStart == 1 ? std::string("<ol>\n")
                                                : "<ol start=\"" + std::to_string(paragraph.listStart) + "\">\n";
            }
            open = paragraph.list;
        }
        std::string runs;
        for (const RichRun& run : paragraph.runs) runs += Run(document, run);
        // An empty paragraph still takes its line.
        if (runs.empty()) runs = "<br>";
        const char* tag = open == ListKind::None ? "p" : "li";
        out += std::string("<") + tag + AlignmentStyle(paragraph.alignment) + ">" + runs + "</" + tag + ">\n";
    }
    if (open != ListKind::None) out += open == ListKind::Bullet ? "</ul>\n" : "</ol>\n";
    return out;
}

std::string Anchor(size_t index) {
    return "card-" + std::to_string(index + 1);
}

// Depths only ever grow by one from a card to the next; a list is opened
// for each step down and closed for each step up.
std::string Contents(const std::vector<BranchCard>& cards) {
    std::string out = "<nav>\n<ul>\n";
    int depth = 0;
    for (size_t index = 0; index < cards.size(); ++index) {
        const int next = cards[index].depth;
        if (index > 0) {
            if (next > depth) {
                for (; depth < next; ++depth) out += "\n<ul>\n";
            } else {
                out += "</li>\n";
                for (; depth > next; --depth) out += "</ul>\n</li>\n";
            }
        }
        depth = next;
        out += "<li><a href=\"#" + Anchor(index) + "\">" + Escaped(cards[index].title) + "</a>";
    }
    if (!cards.empty()) {
        out += "</li>\n";
        for (; depth > 0; --depth) out += "</ul>\n</li>\n";
    }
    return out + "</ul>\n</nav>\n";
}

}  // namespace

std::string BuildBranchHtml(const std::vector<BranchCard>& cards, const wchar_t* language) {
    const std::string title = cards.empty() ? std::string() : Escaped(cards[0].title);
    std::string out = "<!DOCTYPE html>\n<html lang=\"" + Escaped(language) +
                      "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
                      "</title>\n<style>\nbody{font-family:sans-serif;max-width:50em;margin:2em auto;padding:0 1em}\n"
                      "p,li{white-space:pre-wrap}\nsection{margin-top:2em}\n</style>\n</head>\n<body>\n" +
                      Contents(cards);
    for (size_t index = 0; index < cards.size(); ++index) {
        const int level = cards[index].depth < 5 ? cards[index].depth + 1 : 6;
        const std::string heading = "h" + std::to_string(level);
        out += "<section id=\"" + Anchor(index) + "\">\n<" + heading + ">" + Escaped(cards[index].title) + "</" +
               heading + ">\n" + Content(cards[index].content) + "</section>\n";
    }
    return out + "</body>\n</html>\n";
}

}  // namespace documents
