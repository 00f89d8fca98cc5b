#include "documents/docx_writer.h"

#include <cstdio>
#include <string>

#include "core/qerror.h"
#include "zip/qzipwriter.h"

using kiln::qstd::QBuffer;
using kiln::qzip::QZipWriter;

namespace documents {

namespace {

const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const char kWordNamespace[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char kRelationships[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kPackageRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
// One twip is 635 English metric units.
const long long kEmuPerTwip = 635;
const int kBulletNumbering = 1;

struct PictureType {
    const char* extension;
    const char* contentType;
};

PictureType TypeOf(PictureKind kind) {
    switch (kind) {
    case PictureKind::Png: return {"png", "image/png"};
    case PictureKind::Jpeg: return {"jpeg", "image/jpeg"};
    case PictureKind::Emf: return {"emf", "image/x-emf"};
    case PictureKind::Wmf: return {"wmf", "image/x-wmf"};
    case PictureKind::Bmp: return {"bmp", "image/bmp"};
    }
    return {"bin", "application/octet-stream"};
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], bytes, nullptr, nullptr);
    return out;
}

// Text for an element or an attribute; characters XML cannot carry at all
// are left out.
std::string Escaped(const std::wstring& text) {
    std::wstring kept;
    for (wchar_t c : text) {
        if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') continue;
        if (c == 0xFFFE || c == 0xFFFF) continue;
        kept += c;
    }
    std::string out;
    for (char c : Utf8(kept)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Hex(COLORREF color) {
    char text[8];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

class DocumentPart {
public:
    explicit DocumentPart(const RichDocument& document) : document(document) {}

    // Relationship ids: 1 styles, 2 numbering, then the links, then the pictures.
    static std::string LinkId(int link) { return "rId" + std::to_string(3 + link); }
    std::string PictureId(int picture) const {
        return "rId" + std::to_string(3 + static_cast<int>(document.links.size()) + picture);
    }

    std::string Write() {
        xml = kXmlDeclaration;
        xml += std::string("<w:document xmlns:w=\"") + kWordNamespace + "\" xmlns:r=\"" + kRelationships +
               "\" xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
               " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
               " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>";
        bool previousNumbered = false;
        for (const RichParagraph& paragraph : document.paragraphs) {
            Paragraph(paragraph, previousNumbered);
            previousNumbered = paragraph.list == ListKind::Numbered;
        }
        if (document.paragraphs.empty()) xml += "<w:p/>";
        xml += "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
               "w:bottom=\"1440\" w:left=\"1440\" w:header=\"708\" w:footer=\"708\" w:gutter=\"0\"/></w:sectPr>";
        xml += "</w:body></w:document>";
        return xml;
    }

    // The start number of each numbered list, in order; list k is numbering
    // instance k + 2.
    const std::vector<int>& NumberedLists() const { return numberedLists; }

private:
    void Paragraph(const RichParagraph& paragraph, bool previousNumbered) {
        xml += "<w:p><w:pPr>";
        if (paragraph.heading > 0) {
            xml += "<w:pStyle w:val=\"Heading" + std::to_string(paragraph.heading) + "\"/>";
        } else if (paragraph.list != ListKind::None) {
            int numbering = kBulletNumbering;
            if (paragraph.list == ListKind::Numbered) {
                // A numbered paragraph after anything else starts a list of its own.
                if (!previousNumbered) numberedLists.push_back(paragraph.listStart);
                numbering = static_cast<int>(numberedLists.size()) + 1;
            }
            xml += "<w:pStyle w:val=\"ListParagraph\"/><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"" +
                   std::to_string(numbering) + "\"/></w:numPr>";
        }
        static const char* const kAlignments[] = {"left", "center", "right", "both"};
        xml += std::string("<w:jc w:val=\"") + kAlignments[static_cast<int>(paragraph.alignment)] + "\"/>";
        xml += "</w:pPr>";
        int openLink = -1;
        for (const RichRun& run : paragraph.runs) {
            if (run.link != openLink) {
                if (openLink >= 0) xml += "</w:hyperlink>";
                if (run.link >= 0) xml += "<w:hyperlink r:id=\"" + LinkId(run.link) + "\" w:history=\"1\">";
                openLink = run.link;
            }
            Run(run);
        }
        if (openLink >= 0) xml += "</w:hyperlink>";
        xml += "</w:p>";
    }

    void Run(const RichRun& run) {
        xml += "<w:r><w:rPr>";
        if (run.link >= 0) xml += "<w:rStyle w:val=\"Hyperlink\"/>";
        if (!run.font.empty()) {
            const std::string face = Escaped(run.font);
            xml += "<w:rFonts w:ascii=\"" + face + "\" w:hAnsi=\"" + face + "\" w:eastAsia=\"" + face +
                   "\" w:cs=\"" + face + "\"/>";
        }
        if (run.bold) xml += "<w:b/>";
        if (run.italic) xml += "<w:i/>";
        if (run.strike) xml += "<w:strike/>";
        if (run.colored) xml += "<w:color w:val=\"" + Hex(run.color) + "\"/>";
        if (run.halfPoints > 0) {
            const std::string size = std::to_string(run.halfPoints);
            xml += "<w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size + "\"/>";
        }
        if (run.underline) xml += "<w:u w:val=\"single\"/>";
        xml += "</w:rPr>";
        if (run.picture >= 0) Picture(run.picture);
        else Text(run.text);
        xml += "</w:r>";
    }

    void Text(const std::wstring& text) {
        std::wstring piece;
        auto flush = [&] {
            if (!piece.empty()) xml += "<w:t xml:space=\"preserve\">" + Escaped(piece) + "</w:t>";
            piece.clear();
        };
        for (wchar_t c : text) {
            if (c == L'\t') {
                flush();
                xml += "<w:tab/>";
            } else if (c == L'\n' || c == L'\r' || c == 0x0B) {
                flush();
                xml += "<w:br/>";
            } else {
                piece += c;
            }
        }
        flush();
    }

    void Picture(int index) {
        const RichPicture& picture = document.pictures[static_cast<size_t>(index)];
        const std::string cx = std::to_string(picture.width * kEmuPerTwip);
        const std::string cy = std::to_string(picture.height * kEmuPerTwip);
        const std::string id = std::to_string(index + 1);
        const std::string name = "image" + id + "." + TypeOf(picture.kind).extension;
        xml += "<w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent cx=\"" + cx +
               "\" cy=\"" + cy + "\"/><wp:docPr id=\"" + id + "\" name=\"Picture " + id +
               "\"/><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
               "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"" + id + "\" name=\"" + name +
               "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + PictureId(index) +
               "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
               "<a:ext cx=\"" + cx + "\" cy=\"" + cy +
               "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>"
               "</a:graphicData></a:graphic></wp:inline></w:drawing>";
    }

    const RichDocument& document;
    std::string xml;
    std::vector<int> numberedLists;
};

std::string ContentTypes() {
    std::string xml = kXmlDeclaration;
    xml += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    for (PictureKind kind : {PictureKind::Png, PictureKind::Jpeg, PictureKind::Emf, PictureKind::Wmf,
                             PictureKind::Bmp}) {
        xml += std::string("<Default Extension=\"") + TypeOf(kind).extension + "\" ContentType=\"" +
               TypeOf(kind).contentType + "\"/>";
    }
    xml += "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
           "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "<Override PartName=\"/word/numbering.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml\"/>"
           "</Types>";
    return xml;
}

std::string PackageRelationships() {
    return std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships +
           "\"><Relationship Id=\"rId1\" Type=\"" + kRelationships +
           "/officeDocument\" Target=\"word/document.xml\"/></Relationships>";
}

std::string DocumentRelationships(const RichDocument& document, const DocumentPart& part) {
    std::string xml = std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships + "\">";
    xml += std::string("<Relationship Id=\"rId1\" Type=\"") + kRelationships + "/styles\" Target=\"styles.xml\"/>";
    xml += std::string("<Relationship Id=\"rId2\" Type=\"") + kRelationships +
           "/numbering\" Target=\"numbering.xml\"/>";
    for (size_t i = 0; i < document.links.size(); ++i) {
        xml += "<Relationship Id=\"" + DocumentPart::LinkId(static_cast<int>(i)) + "\" Type=\"" + kRelationships +
               "/hyperlink\" Target=\"" + Escaped(document.links[i]) + "\" TargetMode=\"External\"/>";
    }
    for (size_t i = 0; i < document.pictures.size(); ++i) {
        xml += "<Relationship Id=\"" + part.PictureId(static_cast<int>(i)) + "\" Type=\"" + kRelationships +
               "/image\" Target=\"media/image" + std::to_string(i + 1) + "." +
               TypeOf(document.pictures[i].kind).extension + "\"/>";
    }
    return xml + "</Relationships>";
}

// Heading 1 to 9 by their built-in names, so that readers and outlines
// know them; sizes fall from 16 to 11 points.
std::string Headings() {
    std::string xml;
    for (int level = 1; level <= 9; ++level) {
        const std::string number = std::to_string(level);
        const std::string size = std::to_string(level < 6 ? 34 - 2 * level : 22);
        xml += "<w:style w:type=\"paragraph\" w:styleId=\"Heading" + number + "\"><w:name w:val=\"heading " +
               number + "\"/><w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:qFormat/><w:pPr><w:keepNext/>"
               "<w:spacing w:before=\"240\" w:after=\"120\"/><w:outlineLvl w:val=\"" + std::to_string(level - 1) +
               "\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size +
               "\"/></w:rPr></w:style>";
    }
    return xml;
}

std::string Styles() {
    return std::string(kXmlDeclaration) + "<w:styles xmlns:w=\"" + kWordNamespace +
           "\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\" "
           "w:eastAsia=\"Calibri\" w:cs=\"Calibri\"/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/></w:rPr>"
           "</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/>"
           "</w:pPr></w:pPrDefault></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
           "<w:qFormat/></w:style>"
           "<w:style w:type=\"paragraph\" w:styleId=\"ListParagraph\"><w:name w:val=\"List Paragraph\"/>"
           "<w:basedOn w:val=\"Normal\"/><w:qFormat/><w:pPr><w:ind w:left=\"720\"/></w:pPr></w:style>"
           "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
           "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/><w:semiHidden/></w:style>"
           "<w:style w:type=\"character\" w:styleId=\"Hyperlink\"><w:name w:val=\"Hyperlink\"/>"
           "<w:basedOn w:val=\"DefaultParagraphFont\"/><w:rPr><w:color w:val=\"0563C1\"/>"
           "<w:u w:val=\"single\"/></w:rPr></w:style>" +
           Headings() + "</w:styles>";
}

std::string Level(const char* format, const char* text, int start) {
    return "<w:lvl w:ilvl=\"0\"><w:start w:val=\"" + std::to_string(start) + "\"/><w:numFmt w:val=\"" + format +
           "\"/><w:lvlText w:val=\"" + text +
           "\"/><w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>";
}

// Numbering instance 1 is the bullets; each numbered list has an instance of
// its own so that its numbers start again.
std::string Numbering(const std::vector<int>& numberedLists) {
    std::string xml = std::string(kXmlDeclaration) + "<w:numbering xmlns:w=\"" + kWordNamespace + "\">";
    xml += "<w:abstractNum w:abstractNumId=\"0\"><w:multiLevelType w:val=\"singleLevel\"/>" +
           Level("bullet", "\xE2\x80\xA2", 1) + "</w:abstractNum>";
    xml += "<w:abstractNum w:abstractNumId=\"1\"><w:multiLevelType w:val=\"singleLevel\"/>" +
           Level("decimal", "%1.", 1) + "</w:abstractNum>";
    xml += "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
    for (size_t i = 0; i < numberedLists.size(); ++i) {
        xml += "<w:num w:numId=\"" + std::to_string(i + 2) +
               "\"><w:abstractNumId w:val=\"1\"/><w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"" +
               std::to_string(numberedLists[i]) + "\"/></w:lvlOverride></w:num>";
    }
    return xml + "</w:numbering>";
}

void AddText(QZipWriter& zip, const char* name, const std::string& text) {
    zip.Add(name, text.data(), text.size(), QZipWriter::Method::Deflated);
}

}  // namespace

QBuffer BuildDocx(const RichDocument& document) {
    DocumentPart part(document);
    const std::string body = part.Write();
    QZipWriter zip;
    AddText(zip, "[Content_Types].xml", ContentTypes());
    AddText(zip, "_rels/.rels", PackageRelationships());
    AddText(zip, "word/document.xml", body);
    AddText(zip, "word/_rels/document.xml.rels", DocumentRelationships(document, part));
    AddText(zip, "word/styles.xml", Styles());
    AddText(zip, "word/numbering.xml", Numbering(part.NumberedLists()));
    for (size_t i = 0; i < document.pictures.size(); ++i) {
        const RichPicture& picture = document.pictures[i];
        const std::string name =
            "word/media/image" + std::to_string(i + 1) + "." + TypeOf(picture.kind).extension;
        zip.Add(name.c_str(), picture.bytes, QZipWriter::Method::Deflated);
    }
    if (!zip.Finish()) throw kiln::qstd::QError(L"The card is too large for a Word document.");
    return zip.GetBytes();
}

}  // namespace documents
