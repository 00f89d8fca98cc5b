#pragma once

#include <windows.h>

#include <commctrl.h>

#include <mutex>

#include "core/qobarray.h"
#include "window/qdialog.h"

namespace kiln {
namespace qwin {

// The Windows task dialog: every text, button and option of one dialog,
// the notifications routed to virtual handlers, clicked hyperlinks opened
// with the shell.
//
// Threads: the dialog runs its modal loop on the thread that calls Show.
// Another thread may change a showing dialog only through the Set...
// operations and Close, which store the value and send the matching message
// to the dialog window if it exists; a dialog built later starts from the
// stored values, so no change is lost however the two threads interleave.
class QTaskDialog : public QDialog {
public:
    struct QTaskDialogButton {
        static const DWORD ENABLED = 1;
        static const DWORD ELEVATION_REQUIRED = 2;

        int id;
        QString text;
        DWORD flags;
    };

    // The platform's configuration for one Show, with the texts and button
    // arrays it points into.
    struct Config {
        TASKDIALOGCONFIG config;
        QString texts[4];
        qstd::QArray<TASKDIALOG_BUTTON> buttons;
        qstd::QArray<TASKDIALOG_BUTTON> radioButtons;
    };

    QTaskDialog(HWND owner, const wchar_t* content, const wchar_t* mainInstruction, const wchar_t* windowTitle,
                const wchar_t* footer, DWORD commonButtons, DWORD flags);

    // Runs the dialog modally: the id of the button that closed it, or -1 when
    // it could not be shown. selectedButton, selectedRadioButton and
    // verificationChecked then hold the results.
    int Show();
    void AddButton(const QTaskDialogButton& button);
    void AddRadioButton(const QTaskDialogButton& button);

    // From any thread, also before the dialog window exists: the dialog ends
    // with IDCANCEL even when the user could not cancel it.
    bool Close() override;
    // From any thread; see the class comment.
    void SetProgressRange(int minimum, int maximum);
    void SetProgressPos(int position);
    void SetProgressState(int state);
    // Switches between a marquee bar (running or not, at speed milliseconds
    // per step) and a normal bar.
    void SetMarquee(bool marquee, bool running, int speed);
    // TDE_CONTENT, TDE_EXPANDED_INFORMATION, TDE_FOOTER or TDE_MAIN_INSTRUCTION.
    void SetElementText(TASKDIALOG_ELEMENTS element, const QString& text);

    void OnOK() override;
    void OnCancel() override;

    // Standard button flag (TDCBF_...) to the id it closes with, and back; 0 for anything else.
    virtual int CommonButtonToId(DWORD commonButton);
    virtual DWORD IdToCommonButton(int id);
    virtual int CommonButtonCount();
    // S_OK lets a button close the dialog; S_FALSE keeps it open.
    virtual HRESULT OnButtonClicked(int id);
    virtual HRESULT OnRadioButtonClicked(int id);
    virtual HRESULT OnVerificationClicked(bool checked);
    virtual HRESULT OnExpandoButtonClicked(bool expanded);
    // The base opens the address with the shell's default handler.
    virtual HRESULT OnHyperlinkClicked(const wchar_t* href);
    virtual HRESULT OnNavigated();

    // Set before Show. While the dialog shows, other threads use Set... and Close.
    DWORD commonButtons;
    DWORD disabledCommonButtons = 0;
    DWORD elevatedCommonButtons = 0;
    DWORD flags;
    UINT width = 0;
    int defaultButton = 0;
    int defaultRadioButton = 0;
    HICON mainIcon = nullptr;
    HICON footerIcon = nullptr;
    qstd::QObArray<QTaskDialogButton> buttons;
    qstd::QObArray<QTaskDialogButton> radioButtons;
    QString content;
    QString mainInstruction;
    QString windowTitle;
    QString footer;
    QString verificationText;
    QString expandedInformation;
    QString expandedControlText;
    QString collapsedControlText;
    int progressMin = 0;
    int progressMax = 100;
    // PBST_NORMAL; for a marquee bar, whether the marquee runs.
    int progressState = PBST_NORMAL;
    // For a marquee bar, its speed.
    int progressPos = 0;
    bool verificationChecked;
    int selectedRadioButton = 0;
    int selectedButton = 0;

protected:
    void BuildConfig(Config& built);
    static HRESULT CALLBACK Notify(HWND window, UINT notification, WPARAM wParam, LPARAM lParam, LONG_PTR self);
    static LRESULT CALLBACK CloseProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    HRESULT Route(HWND window, UINT notification, WPARAM wParam, LPARAM lParam);
    void OnConstructed(HWND window);
    void OnDestroyed();
    // The dialog window if it exists; sends go outside the lock, so that the
    // dialog thread never waits for a thread that waits for it.
    HWND StoredWindow();

    HWND owner;
    // Guards the fields that another thread may change while the dialog
    // shows, the window handle and the close request.
    std::mutex stateLock;
    bool closeRequested = false;
    bool textsChanged = false;
};

}  // namespace qwin
}  // namespace kiln
