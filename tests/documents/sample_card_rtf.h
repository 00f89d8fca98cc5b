#pragma once

// A card as the editor stores it on Windows: fonts with their character
// sets, colours, every character format the toolbar sets, alignment, a
// bulleted and a numbered list, a link field, a web address in plain text, a
// PNG picture (with the metafile copy that older readers take instead) and a
// last paragraph without a paragraph mark.
inline constexpr char kSampleCardRtf[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fswiss\\fcharset204 Arial;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\qc\\f0\\fs28 Plain \\b bold\\b0  \\i italic\\i0  \\ul under\\ulnone  "
    "\\strike gone\\strike0  \\cf1 red\\cf0  {\\f2\\fs20 small Arial}\\par\r\n"
    "\\pard\\qr\\'e9t\\'e9 \\u8364?\\f2  \\'c0\\f0\\par\r\n"
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 first bullet\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}second bullet\\par\r\n"
    "\\pard{\\pntext\\f0 3.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart3\\pndec{\\pntxta.}}\\fi-360\\li720 three\\par\r\n"
    "{\\pntext\\f0 4.\\tab}four\\par\r\n"
    "\\pard Visit {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a?b=1&c=2\"}}{\\fldrslt{\\ul\\cf2 the site}}}"
    "\\f0  or www.example.com.\\par\r\n"
    "\\pard A picture: {\\*\\shppict{\\pict{\\*\\picprop}\\pngblip\\picw2\\pich1\\picwgoal1440\\pichgoal720 "
    "89504E470D0A1A0A0000000D49484452000000020000000108020000007B40E8DD0000000D49444154789C63F8CF0004FF01070001FF"
    "E2239E590000000049454E44AE426082}}{\\nonshppict{\\pict\\wmetafile8\\picw53\\pich26 0100090000}}\\par\r\n"
    "Last {\\v hidden }line}\r\n";

// The PNG inside it, 2 by 1 pixels.
inline constexpr unsigned char kSamplePng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7B, 0x40, 0xE8, 0xDD, 0x00, 0x00, 0x00,
    0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0x00, 0x04, 0xFF, 0x01, 0x07, 0x00, 0x01, 0xFF,
    0xE2, 0x23, 0x9E, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
