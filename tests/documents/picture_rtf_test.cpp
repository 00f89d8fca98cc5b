// Pictures in RTF: the group written for a picture file from its header, and
// the pictures a card's RTF holds, kept aside and put back byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "core/qbuffer.h"
#include "documents/picture_rtf.h"
#include "documents/rtf_pictures.h"

namespace {

using documents::PictureFormat;
using documents::PictureHeader;
using documents::ReadPictureHeader;
using documents::RtfPictures;
using kiln::qstd::QBuffer;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

std::string Chunk(const char* type, const std::string& data) {
    const size_t n = data.size();
    // The reader does not check the CRC; four bytes stand for it.
    return Bytes({0, 0, static_cast<int>(n >> 8), static_cast<int>(n & 255)}) + type + data + "CRC!";
}

std::string Png(unsigned width, unsigned height, const std::string& before) {
    const std::string size = Bytes({0, 0, static_cast<int>(width >> 8), static_cast<int>(width & 255), 0, 0,
                                    static_cast<int>(height >> 8), static_cast<int>(height & 255)});
    return Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}) + Chunk("IHDR", size + Bytes({8, 2, 0, 0, 0})) +
           before + Chunk("IDAT", "xx") + Chunk("IEND", "");
}

std::string PixelsPerMetre(unsigned x, unsigned y, int unit) {
    return Chunk("pHYs", Bytes({static_cast<int>(x >> 24), static_cast<int>((x >> 16) & 255),
                                static_cast<int>((x >> 8) & 255), static_cast<int>(x & 255),
                                static_cast<int>(y >> 24), static_cast<int>((y >> 16) & 255),
                                static_cast<int>((y >> 8) & 255), static_cast<int>(y & 255), unit}));
}

std::string Segment(int marker, const std::string& data) {
    const size_t n = data.size() + 2;
    return Bytes({0xFF, marker, static_cast<int>(n >> 8), static_cast<int>(n & 255)}) + data;
}

std::string Jfif(int units, int x, int y) {
    return Segment(0xE0, std::string("JFIF\0", 5) + Bytes({1, 2, units, x >> 8, x & 255, y >> 8, y & 255, 0, 0}));
}

std::string Frame(int marker, int width, int height) {
    return Segment(marker, Bytes({8, height >> 8, height & 255, width >> 8, width & 255, 1, 1, 0x11, 0}));
}

std::string Jpeg(const std::string& segments) {
    return Bytes({0xFF, 0xD8}) + segments + Segment(0xDA, Bytes({1, 1, 0, 0, 63, 0})) + "pixels" +
           Bytes({0xFF, 0xD9});
}

std::string Text(const QBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetCount());
}

TEST(PictureHeaderTest, SizeAndResolutionComeFromTheFilesHeader) {
    const struct {
        const char* name;
        std::string bytes;
        PictureFormat format;
        unsigned width, height;
        double dpiX, dpiY;
    } cases[] = {
        {"PNG without a resolution", Png(300, 2, ""), PictureFormat::Png, 300, 2, 96, 96},
        {"PNG in pixels per metre", Png(4, 3, Chunk("tEXt", "a\0b") + PixelsPerMetre(5669, 2835, 1)),
         PictureFormat::Png, 4, 3, 5669 * 0.0254, 2835 * 0.0254},
        {"PNG of unknown unit", Png(4, 3, PixelsPerMetre(5669, 5669, 0)), PictureFormat::Png, 4, 3, 96, 96},
        {"PNG whose resolution follows the pixels", Png(4, 3, "") + PixelsPerMetre(5669, 5669, 1),
         PictureFormat::Png, 4, 3, 96, 96},
        {"JPEG with dots per inch", Jpeg(Jfif(1, 144, 72) + Segment(0xE1, "Exif\0\0{}") + Frame(0xC0, 3, 2)),
         PictureFormat::Jpeg, 3, 2, 144, 72},
        {"JPEG with dots per centimetre", Jpeg(Jfif(2, 100, 100) + Frame(0xC0, 640, 480)), PictureFormat::Jpeg, 640,
         480, 254, 254},
        {"JPEG with an aspect ratio only", Jpeg(Jfif(0, 1, 1) + Frame(0xC0, 5, 7)), PictureFormat::Jpeg, 5, 7, 96, 96},
        {"progressive JPEG after its tables", Jpeg(Segment(0xDB, std::string(65, 'q')) + Segment(0xC4, "huffman") +
                                                   Bytes({0xFF}) + Frame(0xC2, 1000, 1)),
         PictureFormat::Jpeg, 1000, 1, 96, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureHeader header;
        ASSERT_TRUE(ReadPictureHeader(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), header));
        EXPECT_EQ(header.format, c.format);
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_NEAR(header.dpiX, c.dpiX, 0.001);
        EXPECT_NEAR(header.dpiY, c.dpiY, 0.001);
    }
}

TEST(PictureHeaderTest, WhatIsNoPngOrJpegHeaderIsRefused) {
    const std::string png = Png(4, 3, "");
    const std::string gif = "GIF89a\x01\x00\x01\x00\x80\x00\x00";
    const std::string cases[] = {
        png.substr(0, 30),
        Png(0, 3, ""),
        gif,
        "BM",
        Jpeg(Jfif(1, 72, 72)),                        // the pixels before any frame header
        Jpeg(Frame(0xC0, 0, 2)),                      // no width
        Bytes({0xFF, 0xD8}) + Frame(0xC0, 3, 2).substr(0, 6),  // cut short
        Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x40}),  // a segment longer than the file
    };
    for (const std::string& bytes : cases) {
        PictureHeader header;
        EXPECT_FALSE(ReadPictureHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), header));
    }
}

TEST(PictureGroupTest, CarriesTheBytesWithSizesInPixelsAndTwips) {
    const std::string jpeg = Jpeg(Jfif(1, 144, 72) + Frame(0xC0, 3, 2));
    QBuffer group;
    ASSERT_TRUE(documents::AppendPictureGroup(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), group));
    const std::string rtf = Text(group);
    EXPECT_EQ(rtf.rfind("{\\pict\\jpegblip\\picw3\\pich2\\picwgoal30\\pichgoal40\r\nffd8ffe0", 0), 0u) << rtf;
    std::string digits;
    for (char c : rtf.substr(rtf.find('\n') + 1)) {
        if (c != '\r' && c != '\n' && c != '}') digits += c;
    }
    EXPECT_EQ(digits.size(), jpeg.size() * 2);
    EXPECT_EQ(rtf.back(), '}');

    const std::string png = Png(3, 5, "");
    QBuffer pngGroup;
    ASSERT_TRUE(documents::AppendPictureGroup(reinterpret_cast<const unsigned char*>(png.data()), png.size(), pngGroup));
    EXPECT_EQ(Text(pngGroup).rfind("{\\pict\\pngblip\\picw3\\pich5\\picwgoal45\\pichgoal75\r\n89504e47", 0), 0u);

    QBuffer untouched;
    EXPECT_FALSE(documents::AppendPictureGroup(reinterpret_cast<const unsigned char*>("BM"), 2, untouched));
    EXPECT_EQ(untouched.GetCount(), 0u);
}

// Picture groups as controls and word processors write them.
const std::string kPng = "{\\pict\\pngblip\\picw2\\pich2\\picwgoal30\\pichgoal30\r\n89504e470d0a1a0a}";
const std::string kPair =
    "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\picscalex100\\picscaley100"
    "\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw53\\pich53\\picwgoal30\\pichgoal30\\pngblip"
    "\\bliptag-1{\\*\\blipuid 5a}89504e47}}\r\n{\\nonshppict{\\pict\\wmetafile8\\picw53\\pich53\\picwgoal30"
    "\\pichgoal30 0100090000}}";
const std::string kBinary = std::string("{\\pict\\emfblip\\picw2\\pich2\\bin6 ") + "{}\\}{x" + "}";
const std::string kObject =
    "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw100\\objh100{\\*\\objdata 0105}{\\result{\\pict"
    "\\wmetafile8\\picw2\\pich2 0100}}}";

TEST(RtfPicturesTest, EveryPictureIsSetAsideWholeAndPutBackByteForByte) {
    const std::string document = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard before " + kPng + " mid " + kPair +
                                 "{\\b bold " + kBinary + "} " + kObject + "{\\field{\\*\\fldinst x}{\\fldrslt " +
                                 kPng + "}} \\\\{\\{\\pict not a group\\par}";
    RtfPictures pictures;
    QBuffer shown;
    pictures.SetAside(reinterpret_cast<const unsigned char*>(document.data()), document.size(), shown);
    ASSERT_EQ(pictures.Count(), 5u);
    const std::string groups[] = {kPng, kPair, kBinary, kObject, kPng};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(pictures.Group(i), groups[i]) << i;
    const std::string text = Text(shown);
    EXPECT_EQ(text, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard before {\\protect [picture 1]} mid {\\protect "
                    "[picture 2]}{\\b bold {\\protect [picture 3]}} {\\protect [picture 4]}{\\field{\\*\\fldinst x}"
                    "{\\fldrslt {\\protect [picture 5]}}} \\\\{\\{\\pict not a group\\par}");

    // As an editor writes it back: runs of protected text between words,
    // a placeholder deleted, another copied, one typed by hand.
    const std::string written =
        "{\\rtf1\\ansi\\deff0 before \\protect [picture 1]\\protect0  mid \\protect\\b [picture 3]\\b0\\protect0 "
        "typed [picture 2] {\\protect [picture 1]}{\\protect [picture 9]}\\plain [picture 4]\\par}";
    QBuffer saved;
    pictures.PutBack(reinterpret_cast<const unsigned char*>(written.data()), written.size(), saved);
    EXPECT_EQ(Text(saved), "{\\rtf1\\ansi\\deff0 before \\protect " + kPng + "\\protect0  mid \\protect\\b " + kBinary +
                               "\\b0\\protect0 typed [picture 2] {\\protect " + kPng +
                               "}{\\protect [picture 9]}\\plain [picture 4]\\par}");
}

TEST(RtfPicturesTest, AGroupLeftOpenIsNoPicture) {
    const std::string cases[] = {
        "{\\rtf1 a {\\pict\\pngblip 8950",
        "{\\rtf1 a {\\pict\\bin40 }}}",
    };
    for (const std::string& document : cases) {
        RtfPictures pictures;
        QBuffer shown;
        pictures.SetAside(reinterpret_cast<const unsigned char*>(document.data()), document.size(), shown);
        EXPECT_EQ(pictures.Count(), 0u);
        EXPECT_EQ(Text(shown), document);
    }
}

}  // namespace
