// Pictures on a page: kept aside by the page, shown as protected
// placeholders that are deleted whole or not at all, and brought in from
// picture and RTF files.

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/editor/editor_page.h"
#include "core/qbuffer.h"
#include "documents/picture_file_rtf.h"
#include "documents/text_file.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace {

// Longer than any placeholder's text.
const LONG kPlaceholderReach = 24;

std::wstring TextRange(HWND control, LONG from, LONG to) {
    std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
    TEXTRANGEW range = {{from, to}, &text[0]};
    const LRESULT copied = SendMessageW(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// The length of the placeholder text at at for a picture the page holds, 0
// when there is none.
size_t PlaceholderLength(const std::wstring& text, size_t at, size_t pictures) {
    static const wchar_t opening[] = L"[picture ";
    const size_t length = sizeof opening / sizeof opening[0] - 1;
    if (text.compare(at, length, opening) != 0) return 0;
    size_t i = at + length;
    size_t number = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && number <= pictures) {
        number = number * 10 + (text[i++] - L'0');
    }
    if (number == 0 || number > pictures || i >= text.size() || text[i] != L']') return 0;
    return i + 1 - at;
}

void SetBytes(const std::string& bytes, QBuffer& buffer) {
    buffer.Append(bytes.data(), static_cast<unsigned>(bytes.size()));
}

}  // namespace

void EditorPage::ProtectPlaceholders(LONG from, LONG to) {
    if (pictures.Count() == 0 || to <= from) return;
    // Not every control reads the protection the placeholders are written
    // with, so it is given here, where every control takes it.
    const HWND control = editor.GetHandle();
    CHARRANGE selection = {0, 0};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const std::wstring text = TextRange(control, from, to);
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_PROTECTED;
    format.dwEffects = CFE_PROTECTED;
    for (size_t at = 0; at < text.size(); ++at) {
        const size_t found = PlaceholderLength(text, at, pictures.Count());
        if (!found) continue;
        CHARRANGE placeholder = {from + static_cast<LONG>(at), from + static_cast<LONG>(at + found)};
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&placeholder));
        SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        at += found - 1;
    }
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
}

bool EditorPage::AllowsChange(CHARRANGE change, bool duringChange) {
    if (pictures.Count() == 0) return true;
    const HWND control = editor.GetHandle();
    const LONG length = static_cast<LONG>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    if (change.cpMax < 0) change.cpMax = length;
    const LONG changeFrom = std::max(0L, std::min(change.cpMin, change.cpMax));
    const LONG changeTo = std::min(length, std::max(change.cpMin, change.cpMax));
    const LONG from = std::max(0L, changeFrom - kPlaceholderReach);
    const LONG to = std::min(length, changeTo + kPlaceholderReach);
    const std::wstring text = TextRange(control, from, to);
    CHARRANGE whole = {changeFrom, changeTo};
    bool cut = false;
    for (size_t at = 0; at < text.size(); ++at) {
        const size_t found = PlaceholderLength(text, at, pictures.Count());
        if (!found) continue;
        const LONG start = from + static_cast<LONG>(at);
        const LONG end = start + static_cast<LONG>(found);
        const bool cuts = changeFrom == changeTo
                              ? start < changeFrom && changeFrom < end
                              : changeFrom < end && changeTo > start && (changeFrom > start || changeTo < end);
        if (cuts) {
            cut = true;
            whole.cpMin = std::min(whole.cpMin, start);
            whole.cpMax = std::max(whole.cpMax, end);
        }
        at += found - 1;
    }
    if (cut) {
        // Selected, the placeholder goes at the next key as one piece. Inside
        // a change of its own the control would undo the selection, so it waits.
        if (duringChange) {
            PostMessageW(control, EM_SETSEL, static_cast<WPARAM>(whole.cpMin), static_cast<LPARAM>(whole.cpMax));
        } else {
            SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&whole));
        }
        return false;
    }
    if (changeFrom == changeTo) {
        // Typed beside a placeholder, text would take its protection.
        CHARFORMAT2W format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_PROTECTED;
        SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    return true;
}

bool EditorPage::AllowsProtectedChange(const ENPROTECTED& change) {
    // Formatting leaves a placeholder's text as it is.
    if (change.msg == EM_SETCHARFORMAT || change.msg == EM_SETPARAFORMAT) return true;
    return AllowsChange(change.chrg, true);
}

bool EditorPage::AllowsKey(UINT msg, WPARAM key) {
    if (pictures.Count() == 0) return true;
    // Not every control keeps protected text from the keyboard: the keys
    // that change text are weighed before the control sees them.
    CHARRANGE change = {0, 0};
    SendMessageW(editor.GetHandle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&change));
    const bool empty = change.cpMin == change.cpMax;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    // A word deleted with Ctrl reaches as far as a placeholder is long.
    const LONG reach = control ? kPlaceholderReach : 1;
    if (msg == WM_KEYDOWN) {
        if (key == VK_BACK && empty) {
            change.cpMin -= reach;
        } else if (key == VK_DELETE && empty && !shift) {
            change.cpMax += reach;
        } else if (key != VK_BACK && key != VK_DELETE && !(control && (key == 'X' || key == 'V')) &&
                   !(shift && key == VK_INSERT)) {
            return true;
        }
    } else if (msg == WM_CHAR) {
        if (key == 8) {
            if (empty) change.cpMin -= reach;
        } else if (key < 32 && key != '\r' && key != '\t') {
            return true;
        }
    } else {
        return true;
    }
    return AllowsChange(change, false);
}

bool EditorPage::InsertPictureFile(const QString& path) {
    QBuffer group;
    if (!documents::ReadPictureFileGroup(path, group)) return false;
    const std::string placeholder =
        pictures.Add(std::string(reinterpret_cast<const char*>(group.GetData()), group.GetCount()));
    QBuffer rtf;
    SetBytes("{\\rtf1\\ansi " + placeholder + "}", rtf);
    return InsertRtfWithPlaceholders(rtf);
}

bool EditorPage::InsertRtfWithPlaceholders(const QBuffer& rtf) {
    const HWND control = editor.GetHandle();
    CHARRANGE before = {0, 0};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&before));
    const LONG length = static_cast<LONG>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    if (!editor.ReplaceSelectionRtf(rtf.GetData(), rtf.GetCount())) return false;
    const LONG grown = static_cast<LONG>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) - length;
    const LONG from = std::min(before.cpMin, before.cpMax);
    ProtectPlaceholders(from, from + std::abs(before.cpMax - before.cpMin) + grown);
    return true;
}

bool EditorPage::InsertRtfFile(const QString& path) {
    QBuffer bytes;
    if (!ReadFileBytes(path, bytes)) return StreamFileIn(path, SF_RTF | SFF_SELECTION);
    static const char signature[] = "{\\rtf";
    if (bytes.GetCount() < sizeof signature - 1 ||
        std::string(reinterpret_cast<const char*>(bytes.GetData()), sizeof signature - 1) != signature) {
        // Not RTF after all: the control reads it as best it can.
        return StreamFileIn(path, SF_RTF | SFF_SELECTION);
    }
    QBuffer shown;
    pictures.SetAside(bytes.GetData(), bytes.GetCount(), shown);
    return InsertRtfWithPlaceholders(shown);
}
