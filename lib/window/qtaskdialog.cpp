#include "window/qtaskdialog.h"

#include <shellapi.h>

#include "core/qarray.h"
#include "core/qerror.h"

namespace kiln {
namespace qwin {

namespace {

struct CommonButton {
    DWORD flag;
    int id;
};

const CommonButton kCommonButtons[] = {
    {TDCBF_OK_BUTTON, IDOK},         {TDCBF_YES_BUTTON, IDYES},     {TDCBF_NO_BUTTON, IDNO},
    {TDCBF_CANCEL_BUTTON, IDCANCEL}, {TDCBF_RETRY_BUTTON, IDRETRY}, {TDCBF_CLOSE_BUTTON, IDCLOSE},
};

const DWORD kCommandLinkFlags = TDF_USE_COMMAND_LINKS | TDF_USE_COMMAND_LINKS_NO_ICON;

// An empty text would still make the dialog build the element (an empty
// "expanded information" gets an expando button), so these pass none instead.
const wchar_t* TextOrNone(const QString& text) {
    return text.IsEmpty() ? nullptr : text.c_str();
}

void AddConfigButtons(const qstd::QObArray<QTaskDialog::QTaskDialogButton>& source,
                      qstd::QArray<TASKDIALOG_BUTTON>& target) {
    for (unsigned i = 0; i < source.GetCount(); ++i) {
        target.Add(TASKDIALOG_BUTTON{source[i]->id, source[i]->text.c_str()});
    }
}

}  // namespace

QTaskDialog::QTaskDialog(HWND owner, const wchar_t* content, const wchar_t* mainInstruction,
                         const wchar_t* windowTitle, const wchar_t* footer, DWORD commonButtons, DWORD flags)
    : QDialog(0),
      commonButtons(commonButtons),
      flags(flags),
      content(content),
      mainInstruction(mainInstruction),
      windowTitle(windowTitle),
      footer(footer),
      verificationChecked((flags & TDF_VERIFICATION_FLAG_CHECKED) != 0),
      owner(owner) {}

void QTaskDialog::AddButton(const QTaskDialogButton& button) {
    buttons.Add(new QTaskDialogButton(button));
}

void QTaskDialog::AddRadioButton(const QTaskDialogButton& button) {
    radioButtons.Add(new QTaskDialogButton(button));
}

int QTaskDialog::Show() {
    Config built;
    BuildConfig(built);
    int button = 0;
    int radioButton = 0;
    BOOL verified = FALSE;
    const HRESULT shown = TaskDialogIndirect(&built.config, &button, &radioButton, &verified);
    {
        std::lock_guard<std::mutex> lock(stateLock);
        closeRequested = false;
    }
    if (FAILED(shown)) return -1;
    selectedButton = button;
    selectedRadioButton = radioButton;
    verificationChecked = verified == 1;
    return button;
}

void QTaskDialog::BuildConfig(Config& built) {
    TASKDIALOGCONFIG& config = built.config;
    config = TASKDIALOGCONFIG{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner ? owner : GetActiveWindow();
    config.hInstance = GetModuleHandleW(nullptr);
    config.dwCommonButtons = commonButtons;
    config.cxWidth = width;
    config.nDefaultButton = defaultButton;
    config.nDefaultRadioButton = defaultRadioButton;
    config.pfCallback = Notify;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(this);

    // Copies keep the texts alive while another thread replaces the fields.
    QString* texts = built.texts;
    DWORD dialogFlags;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        texts[0] = content;
        texts[1] = mainInstruction;
        texts[2] = footer;
        texts[3] = expandedInformation;
        dialogFlags = flags;
        textsChanged = false;
    }
    if ((dialogFlags & kCommandLinkFlags) && buttons.IsEmpty()) dialogFlags &= ~kCommandLinkFlags;
    // A footer icon shows only beside a footer line.
    if (texts[2].IsEmpty() && footerIcon) texts[2] = L" ";
    config.pszContent = texts[0].c_str();
    config.pszMainInstruction = texts[1].c_str();
    config.pszFooter = texts[2].c_str();
    config.pszExpandedInformation = TextOrNone(texts[3]);
    config.pszWindowTitle = windowTitle.c_str();
    config.pszExpandedControlText = TextOrNone(expandedControlText);
    config.pszCollapsedControlText = TextOrNone(collapsedControlText);
    if (verificationText.IsEmpty()) {
        dialogFlags &= ~TDF_VERIFICATION_FLAG_CHECKED;
    } else {
        config.pszVerificationText = verificationText.c_str();
    }
    if (dialogFlags & TDF_USE_HICON_MAIN) config.hMainIcon = mainIcon;
    if (dialogFlags & TDF_USE_HICON_FOOTER) config.hFooterIcon = footerIcon;
    config.dwFlags = dialogFlags;

    AddConfigButtons(buttons, built.buttons);
    AddConfigButtons(radioButtons, built.radioButtons);
    config.cButtons = built.buttons.GetCount();
    config.pButtons = built.buttons.GetData();
    config.cRadioButtons = built.radioButtons.GetCount();
    config.pRadioButtons = built.radioButtons.GetData();
}

HRESULT CALLBACK QTaskDialog::Notify(HWND window, UINT notification, WPARAM wParam, LPARAM lParam,
                                     LONG_PTR self) {
    auto* dialog = reinterpret_cast<QTaskDialog*>(self);
    // The notifications come from the dialog's procedure: no exception may leave.
    try {
        return dialog->Route(window, notification, wParam, lParam);
    } catch (const qstd::QError& error) {
        error.Show();
    } catch (...) {
        qstd::QError::FromLastError().Show();
    }
    return S_OK;
}

HRESULT QTaskDialog::Route(HWND window, UINT notification, WPARAM wParam, LPARAM lParam) {
    switch (notification) {
    case TDN_DIALOG_CONSTRUCTED:
        OnConstructed(window);
        return OnInitDialog() ? S_FALSE : S_OK;
    case TDN_CREATED:
        return OnCreate() ? S_FALSE : S_OK;
    case TDN_DESTROYED: {
        const bool handled = OnDestroy();
        OnDestroyed();
        return handled ? S_FALSE : S_OK;
    }
    case TDN_BUTTON_CLICKED:
        selectedButton = static_cast<int>(wParam);
        return OnButtonClicked(selectedButton);
    case TDN_RADIO_BUTTON_CLICKED:
        selectedRadioButton = static_cast<int>(wParam);
        return OnRadioButtonClicked(selectedRadioButton);
    case TDN_VERIFICATION_CLICKED:
        verificationChecked = wParam != 0;
        return OnVerificationClicked(verificationChecked);
    case TDN_EXPANDO_BUTTON_CLICKED:
        return OnExpandoButtonClicked(wParam != 0);
    case TDN_HYPERLINK_CLICKED:
        OnHyperlinkClicked(reinterpret_cast<const wchar_t*>(lParam));
        return S_FALSE;
    case TDN_TIMER:
        return OnTimer(wParam) ? S_FALSE : S_OK;
    case TDN_NAVIGATED:
        OnNavigated();
        return S_FALSE;
    case TDN_HELP:
        return OnHelp() ? S_FALSE : S_OK;
    default:
        return S_OK;
    }
}

void QTaskDialog::OnConstructed(HWND window) {
    int minimum, maximum, position, state;
    DWORD currentFlags;
    bool closePending;
    bool resendTexts;
    QString texts[4];
    {
        std::lock_guard<std::mutex> lock(stateLock);
        handle = window;
        minimum = progressMin;
        maximum = progressMax;
        position = progressPos;
        state = progressState;
        currentFlags = flags;
        closePending = closeRequested;
        resendTexts = textsChanged;
        texts[0] = content;
        texts[1] = mainInstruction;
        texts[2] = footer;
        texts[3] = expandedInformation;
    }
    // A close request from another thread arrives as WM_CLOSE; this dialog
    // may not allow the user to cancel it, so the request is honoured here.
    SetWindowSubclass(window, CloseProc, 0, reinterpret_cast<DWORD_PTR>(this));

    if (currentFlags & TDF_SHOW_PROGRESS_BAR) {
        const bool marquee = (currentFlags & TDF_SHOW_MARQUEE_PROGRESS_BAR) != 0;
        // The kind of bar may have been switched since Show built the dialog.
        SendMessageW(window, TDM_SET_MARQUEE_PROGRESS_BAR, marquee, 0);
        if (marquee) {
            SendMessageW(window, TDM_SET_PROGRESS_BAR_MARQUEE, state, position);
        } else {
            SendMessageW(window, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(minimum, maximum));
            SendMessageW(window, TDM_SET_PROGRESS_BAR_POS, position, 0);
            SendMessageW(window, TDM_SET_PROGRESS_BAR_STATE, state, 0);
        }
    }
    // Texts set by another thread after Show took them and before the window was known.
    const TASKDIALOG_ELEMENTS elements[4] = {TDE_CONTENT, TDE_MAIN_INSTRUCTION, TDE_FOOTER,
                                             TDE_EXPANDED_INFORMATION};
    for (int i = 0; i < 4 && resendTexts; ++i) {
        if (!texts[i].IsEmpty()) {
            SendMessageW(window, TDM_SET_ELEMENT_TEXT, elements[i], reinterpret_cast<LPARAM>(texts[i].c_str()));
        }
    }
    for (unsigned i = 0; i < radioButtons.GetCount(); ++i) {
        if (!(radioButtons[i]->flags & QTaskDialogButton::ENABLED)) {
            SendMessageW(window, TDM_ENABLE_RADIO_BUTTON, radioButtons[i]->id, FALSE);
        }
    }
    for (unsigned i = 0; i < buttons.GetCount(); ++i) {
        if (!(buttons[i]->flags & QTaskDialogButton::ENABLED)) {
            SendMessageW(window, TDM_ENABLE_BUTTON, buttons[i]->id, FALSE);
        }
        if (buttons[i]->flags & QTaskDialogButton::ELEVATION_REQUIRED) {
            SendMessageW(window, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, buttons[i]->id, TRUE);
        }
    }
    if (disabledCommonButtons || elevatedCommonButtons) {
        for (const CommonButton& common : kCommonButtons) {
            const int id = CommonButtonToId(common.flag);
            if (disabledCommonButtons & common.flag) SendMessageW(window, TDM_ENABLE_BUTTON, id, FALSE);
            if (elevatedCommonButtons & common.flag) {
                SendMessageW(window, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, id, TRUE);
            }
        }
    }
    if (closePending) PostMessageW(window, WM_CLOSE, 0, 0);
}

void QTaskDialog::OnDestroyed() {
    std::lock_guard<std::mutex> lock(stateLock);
    handle = nullptr;
}

LRESULT CALLBACK QTaskDialog::CloseProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self) {
    auto* dialog = reinterpret_cast<QTaskDialog*>(self);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(window, CloseProc, id);
    } else if (msg == WM_CLOSE) {
        bool requested;
        {
            std::lock_guard<std::mutex> lock(dialog->stateLock);
            requested = dialog->closeRequested;
        }
        // The close box and Alt+F4 keep the task dialog's own handling.
        if (requested) {
            dialog->selectedButton = IDCANCEL;
            EndDialog(window, IDCANCEL);
            return 0;
        }
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

HWND QTaskDialog::StoredWindow() {
    std::lock_guard<std::mutex> lock(stateLock);
    return handle;
}

bool QTaskDialog::Close() {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        closeRequested = true;
        window = handle;
    }
    if (window) SendMessageW(window, WM_CLOSE, 0, 0);
    return true;
}

void QTaskDialog::SetProgressRange(int minimum, int maximum) {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        progressMin = minimum;
        progressMax = maximum;
        window = handle;
    }
    if (window) SendMessageW(window, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(minimum, maximum));
}

void QTaskDialog::SetProgressPos(int position) {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        progressPos = position;
        window = handle;
    }
    if (window) SendMessageW(window, TDM_SET_PROGRESS_BAR_POS, position, 0);
}

void QTaskDialog::SetProgressState(int state) {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        progressState = state;
        window = handle;
    }
    if (window) SendMessageW(window, TDM_SET_PROGRESS_BAR_STATE, state, 0);
}

void QTaskDialog::SetMarquee(bool marquee, bool running, int speed) {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        if (marquee) {
            flags |= TDF_SHOW_MARQUEE_PROGRESS_BAR;
            progressState = running;
            progressPos = speed;
        } else {
            flags &= ~TDF_SHOW_MARQUEE_PROGRESS_BAR;
        }
        window = handle;
    }
    if (!window) return;
    SendMessageW(window, TDM_SET_MARQUEE_PROGRESS_BAR, marquee, 0);
    if (marquee) SendMessageW(window, TDM_SET_PROGRESS_BAR_MARQUEE, running, speed);
}

void QTaskDialog::SetElementText(TASKDIALOG_ELEMENTS element, const QString& text) {
    HWND window;
    {
        std::lock_guard<std::mutex> lock(stateLock);
        switch (element) {
        case TDE_CONTENT: content = text; break;
        case TDE_EXPANDED_INFORMATION: expandedInformation = text; break;
        case TDE_FOOTER: footer = text; break;
        case TDE_MAIN_INSTRUCTION: mainInstruction = text; break;
        }
        textsChanged = true;
        window = handle;
    }
    if (window) SendMessageW(window, TDM_SET_ELEMENT_TEXT, element, reinterpret_cast<LPARAM>(text.c_str()));
}

void QTaskDialog::OnOK() {}

void QTaskDialog::OnCancel() {}

int QTaskDialog::CommonButtonToId(DWORD commonButton) {
    for (const CommonButton& common : kCommonButtons) {
        if (common.flag == commonButton) return common.id;
    }
    return 0;
}

DWORD QTaskDialog::IdToCommonButton(int id) {
    for (const CommonButton& common : kCommonButtons) {
        if (common.id == id) return common.flag;
    }
    return 0;
}

int QTaskDialog::CommonButtonCount() {
    return static_cast<int>(sizeof(kCommonButtons) / sizeof(kCommonButtons[0]));
}

HRESULT QTaskDialog::OnButtonClicked(int) { return S_OK; }
HRESULT QTaskDialog::OnRadioButtonClicked(int) { return S_OK; }
HRESULT QTaskDialog::OnVerificationClicked(bool) { return S_OK; }
HRESULT QTaskDialog::OnExpandoButtonClicked(bool) { return S_OK; }
HRESULT QTaskDialog::OnNavigated() { return S_OK; }

HRESULT QTaskDialog::OnHyperlinkClicked(const wchar_t* href) {
    ShellExecuteW(StoredWindow(), nullptr, href, nullptr, nullptr, SW_SHOW);
    return S_OK;
}

}  // namespace qwin
}  // namespace kiln
