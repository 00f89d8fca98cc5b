// Character and paragraph formats through the wrapper's two work records.

#include <cwchar>

#include "window/qrichedit.h"
#include "window/palette.h"

namespace kiln {
namespace qwin {

namespace {

const LONG kTwipsPerPoint = 20;

}  // namespace

bool QRichEdit::ApplyCharFormat(DWORD mask, UINT scope) {
    charFormat.dwMask = mask;
    return SendMessageW(handle, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&charFormat)) != 0;
}

bool QRichEdit::ApplyParaFormat(DWORD mask) {
    paraFormat.dwMask = mask;
    return SendMessageW(handle, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paraFormat)) != 0;
}

bool QRichEdit::SetDefaultFormat() {
    charFormat.dwEffects = 0;
    wcsncpy(charFormat.szFaceName, L"Verdana", LF_FACESIZE - 1);
    charFormat.yHeight = 235;
    charFormat.crTextColor = palette::kCardText;
    charFormat.crBackColor = palette::kWhite;
    return ApplyCharFormat(CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BACKCOLOR, SCF_SELECTION);
}

bool QRichEdit::SetTextColor(COLORREF color) {
    charFormat.crTextColor = color;
    // A colour only shows when the automatic-colour effect is off.
    charFormat.dwEffects &= ~static_cast<DWORD>(CFE_AUTOCOLOR);
    return ApplyCharFormat(CFM_COLOR, SCF_SELECTION);
}

bool QRichEdit::SetBackColor(COLORREF color) {
    charFormat.crBackColor = color;
    charFormat.dwEffects &= ~static_cast<DWORD>(CFE_AUTOBACKCOLOR);
    return ApplyCharFormat(CFM_BACKCOLOR, SCF_SELECTION);
}

bool QRichEdit::SetFontFace(const wchar_t* face) {
    wcsncpy(charFormat.szFaceName, face, LF_FACESIZE - 1);
    charFormat.szFaceName[LF_FACESIZE - 1] = L'\0';
    return ApplyCharFormat(CFM_FACE, SCF_SELECTION);
}

bool QRichEdit::SetFontSize(int points) {
    charFormat.yHeight = points * kTwipsPerPoint;
    return ApplyCharFormat(CFM_SIZE, SCF_SELECTION);
}

bool QRichEdit::ToggleEffect(DWORD effect) {
    charFormat.dwEffects ^= effect;
    return ApplyCharFormat(effect, SCF_SELECTION);
}

// The effect bits share their values with their mask bits.
bool QRichEdit::ToggleBold() {
    return ToggleEffect(CFE_BOLD);
}

bool QRichEdit::ToggleItalic() {
    return ToggleEffect(CFE_ITALIC);
}

bool QRichEdit::ToggleUnderline() {
    return ToggleEffect(CFE_UNDERLINE);
}

bool QRichEdit::SetDefaultCharFormat(const wchar_t* face, int twips, COLORREF text, COLORREF back) {
    charFormat.dwEffects = 0;
    wcsncpy(charFormat.szFaceName, face, LF_FACESIZE - 1);
    charFormat.yHeight = twips;
    charFormat.crTextColor = text;
    charFormat.crBackColor = back;
    return ApplyCharFormat(CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BACKCOLOR, SCF_DEFAULT);
}

bool QRichEdit::SetAllCharFormat(const wchar_t* face, int twips, COLORREF text, COLORREF back) {
    charFormat.dwEffects = 0;
    wcsncpy(charFormat.szFaceName, face, LF_FACESIZE - 1);
    charFormat.yHeight = twips;
    charFormat.crTextColor = text;
    charFormat.crBackColor = back;
    return ApplyCharFormat(CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BACKCOLOR, SCF_ALL);
}

bool QRichEdit::SetLineSpacing(int twentieths) {
    paraFormat.dyLineSpacing = twentieths;
    paraFormat.bLineSpacingRule = 5;
    return ApplyParaFormat(PFM_LINESPACING);
}

bool QRichEdit::SetSpaceBefore(int twips) {
    paraFormat.dySpaceBefore = twips;
    return ApplyParaFormat(PFM_SPACEBEFORE);
}

bool QRichEdit::SetSpaceAfter(int twips) {
    paraFormat.dySpaceAfter = twips;
    return ApplyParaFormat(PFM_SPACEAFTER);
}

bool QRichEdit::ToggleBullets() {
    paraFormat.wNumbering = (paraFormat.wNumbering & PFN_BULLET) ? 0 : PFN_BULLET;
    return ApplyParaFormat(PFM_NUMBERING);
}

bool QRichEdit::ToggleNumbering() {
    paraFormat.wNumbering = (paraFormat.wNumbering & PFN_ARABIC) ? 0 : PFN_ARABIC;
    return ApplyParaFormat(PFM_NUMBERING);
}

}  // namespace qwin
}  // namespace kiln
