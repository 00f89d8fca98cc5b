#pragma once

#include "core/qarray.h"
#include "window/qwindow.h"

namespace kiln {
namespace qwin {

// A modal dialog from a template of the program's resources. Controls that
// are anchored keep their distance to the right or bottom edge when the
// dialog is resized. The program's dialogs end with 1 (OK) or 2 (Cancel).
class QDialog : public QWindow {
public:
    struct ANCHOR {
        int id;
        DWORD flags;
        // Recorded at initialisation; what it holds depends on the flags.
        RECT rect;
    };
    // Horizontal modes (flags & 3) and vertical modes (flags & 12).
    static const DWORD ANCHOR_RIGHT = 2;        // keeps the width, moves with the right edge
    static const DWORD ANCHOR_LEFT_RIGHT = 3;   // keeps the left edge, stretches with the right
    static const DWORD ANCHOR_BOTTOM = 8;       // keeps the height, moves with the bottom edge
    static const DWORD ANCHOR_TOP_BOTTOM = 12;  // keeps the top edge, stretches with the bottom

    explicit QDialog(UINT templateId) : templateId(templateId) {}

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Buttons and menu items (code 0) go to OnCommandId.
    bool OnCommand(int id, int code, HWND control) override;
    bool OnSize(UINT type, int cx, int cy) override;

    // Records the anchors, then fills the controls with ExchangeData(true).
    virtual bool OnInitDialog();
    // toControls: fill the controls from the fields; otherwise read them back.
    virtual bool ExchangeData(bool toControls);
    // IDOK, IDCANCEL and IDHELP; false for any other id.
    virtual bool OnCommandId(int id);
    virtual bool OnHelpInfo(HELPINFO* info);
    virtual bool OnHelp();
    virtual void OnOK() = 0;
    virtual void OnCancel() = 0;

    // DialogBoxParamW with the template; the value the dialog ended with, or
    // -1 when it could not be shown.
    INT_PTR DoModal(HWND owner);
    // Call before the dialog is shown.
    void AddAnchor(int controlId, DWORD flags);
    // The whole text of a control of the dialog; empty when it has none.
    qstd::QString ItemText(int controlId) const;

protected:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void RecordAnchors();

    UINT templateId;
    qstd::QArray<ANCHOR> anchors;
};

}  // namespace qwin
}  // namespace kiln
