#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>

#include <string>
#include <thread>

#include "app/prompts/backups_dialog.h"
#include "app/prompts/change_password_dialog.h"
#include "app/prompts/enter_password_dialog.h"
#include "app/prompts/move_to_dialog.h"
#include "window/qmenu.h"
#include "app/product.h"
#include "app/prompts/set_password_dialog.h"
#include "app/prompts/user_prompts.h"
#include "core/com_ptr.h"
#include "resources/command_ids.h"
#include "window/qtaskdialog.h"

using kiln::qstd::QString;
using kiln::qwin::QTaskDialog;

namespace {

const wchar_t* const kSiteAddress = L"https://vorlen.example/";
const wchar_t* const kDeleteHelpAddress = L"https://vorlen.example/help#delete/";
const int kDeleteButton = 100;
const int kRetryButton = 101;
const int kSaveToFileButton = 102;
const int kDiscardButton = 103;

// Owner of the string the shell hands out for a dialog's result.
class ShellString {
public:
    ShellString() = default;
    ShellString(const ShellString&) = delete;
    ShellString& operator=(const ShellString&) = delete;
    ~ShellString() { CoTaskMemFree(text); }
    PWSTR* Receive() { return &text; }
    const wchar_t* Get() const { return text; }

private:
    PWSTR text = nullptr;
};

// Shows a common item dialog and reads the chosen file-system path. A dialog
// that cannot be created counts as cancelled.
bool RunFileDialog(IFileDialog* dialog, HWND owner, QString& path) {
    if (FAILED(dialog->Show(owner))) return false;
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(reinterpret_cast<IShellItem**>(item.ReceiveVoid()))) || !item) return false;
    ShellString chosen;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, chosen.Receive())) || !chosen.Get()) return false;
    path = chosen.Get();
    return true;
}

HICON ProgramIcon() {
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN));
}

}  // namespace

void Win32UserPrompts::ShowMessage(HWND owner, const QString& caption, const QString& text, UINT icon) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon);
}

bool Win32UserPrompts::AskOpenPath(HWND owner, OpenPathKind kind, QString& path) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.ReceiveVoid()))) {
        return false;
    }
    const COMDLG_FILTERSPEC types[] = {{L"Vorlen Files", L"*.data"}};
    dialog->SetTitle(kind == OpenPathKind::OpenDatabase ? L"Open Database" : L"Import database");
    dialog->SetFileTypes(1, types);
    dialog->SetDefaultExtension(L"data");
    dialog->SetOptions(FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_FILEMUSTEXIST | FOS_NOREADONLYRETURN |
                       FOS_NOTESTFILECREATE);
    return RunFileDialog(dialog.Get(), owner, path);
}

bool Win32UserPrompts::AskSavePath(HWND owner, SavePathKind kind, QString& path) {
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                dialog.ReceiveVoid()))) {
        return false;
    }
    if (kind == SavePathKind::NewDatabase) {
        const COMDLG_FILTERSPEC types[] = {{L"Vorlen Files", L"*.data"}, {L"All files", L"*.*"}};
        dialog->SetTitle(L"New Database");
        dialog->SetFileTypes(2, types);
        dialog->SetDefaultExtension(L"data");
        dialog->SetOptions(FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOVALIDATE | FOS_PATHMUSTEXIST |
                           FOS_NOREADONLYRETURN | FOS_NOTESTFILECREATE);
    } else if (kind == SavePathKind::Branch) {
        const COMDLG_FILTERSPEC types[] = {{L"Web page", L"*.html"}, {L"Word document", L"*.docx"}};
        dialog->SetTitle(L"Export branch");
        dialog->SetFileTypes(2, types);
        dialog->SetDefaultExtension(L"html");
        dialog->SetOptions(FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOTESTFILECREATE);
    } else {
        const COMDLG_FILTERSPEC types[] = {{L"Vorlen Files", L"*.rtf"}, {L"Vorlen Files", L"*.docx"}};
        dialog->SetTitle(L"Export");
        dialog->SetFileTypes(2, types);
        dialog->SetDefaultExtension(L"rtf");
        dialog->SetOptions(FOS_FORCEFILESYSTEM | FOS_NOTESTFILECREATE);
    }
    return RunFileDialog(dialog.Get(), owner, path);
}

bool Win32UserPrompts::AskPassword(HWND owner, QString& password) {
    EnterPasswordDialog dialog;
    if (dialog.DoModal(owner) != IDOK) return false;
    password = dialog.GetPassword();
    return true;
}

bool Win32UserPrompts::AskNewPassword(HWND owner, NewPasswordEntries& entries) {
    SetPasswordDialog dialog;
    if (dialog.DoModal(owner) != IDOK) return false;
    entries = dialog.GetEntries();
    return true;
}

bool Win32UserPrompts::AskPasswordChange(HWND owner, PasswordChangeEntries& entries) {
    ChangePasswordDialog dialog;
    if (dialog.DoModal(owner) != IDOK) return false;
    entries = dialog.GetEntries();
    return true;
}

bool Win32UserPrompts::ConfirmDelete(HWND owner, const QString& cardTitle, unsigned descendants) {
    const QString footer =
        QString(L"<a href=\"") + kDeleteHelpAddress + L"\">Delete</a> will remove selected card permanently.";
    // The cards below go with it: the question says how many.
    QString content = cardTitle;
    if (descendants == 1) content = content + L"\n\nand the card below it";
    if (descendants > 1) {
        QString below;
        below.Format(L"\n\nand the %u cards below it", descendants);
        content = content + below;
    }
    QTaskDialog dialog(owner, content.c_str(), L"Do you really want to delete the following card ?", L"Delete",
                       footer.c_str(), TDCBF_CANCEL_BUTTON,
                       TDF_ENABLE_HYPERLINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW);
    dialog.AddButton(QTaskDialog::QTaskDialogButton{kDeleteButton, L"Delete", QTaskDialog::QTaskDialogButton::ENABLED});
    dialog.mainIcon = ProgramIcon();
    dialog.flags |= TDF_USE_HICON_MAIN;
    return dialog.Show() == kDeleteButton;
}

bool Win32UserPrompts::AskYesNo(HWND owner, const QString& caption, const QString& text, UINT icon) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO | icon) == IDYES;
}

FailedSaveChoice Win32UserPrompts::ChooseAfterFailedSave(HWND owner, const QString& cardTitle,
                                                        const QString& reason) {
    const QString instruction = QString(L"\"") + cardTitle + L"\" could not be saved";
    QTaskDialog dialog(owner, reason.c_str(), kProductCaption, instruction.c_str(), nullptr, TDCBF_CANCEL_BUTTON,
                       TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW);
    dialog.AddButton(QTaskDialog::QTaskDialogButton{kRetryButton, L"Retry", QTaskDialog::QTaskDialogButton::ENABLED});
    dialog.AddButton(QTaskDialog::QTaskDialogButton{kSaveToFileButton, L"Save this card to a file\u2026",
                                                    QTaskDialog::QTaskDialogButton::ENABLED});
    dialog.AddButton(QTaskDialog::QTaskDialogButton{kDiscardButton, L"Discard the changes",
                                                    QTaskDialog::QTaskDialogButton::ENABLED});
    dialog.mainIcon = LoadIconW(nullptr, IDI_WARNING);
    dialog.flags |= TDF_USE_HICON_MAIN;
    switch (dialog.Show()) {
    case kRetryButton: return FailedSaveChoice::Retry;
    case kSaveToFileButton: return FailedSaveChoice::SaveToFile;
    case kDiscardButton: return FailedSaveChoice::Discard;
    default: return FailedSaveChoice::Cancel;
    }
}

void Win32UserPrompts::ShowNotice(HWND, const QString& caption, const QString& text) {
    // A box of a thread of its own is modal to nothing here: typing in the
    // window goes on, and the box, which has no foreground of its own, takes
    // no keys from it.
    std::thread([caption = std::wstring(caption.c_str()), text = std::wstring(text.c_str())] {
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    }).detach();
}

void Win32UserPrompts::ShowAbout(HWND owner) {
    const QString content = QString(L"Version " VORLEN_VERSION L" (" VORLEN_ARCHITECTURE L")\n\n") +
                            L"Copyright \u00A9 the Vorlen authors.\nAll rights reserved.";
    const QString footer = QString(L"<a href=\"") + kSiteAddress + L"\">Check for update.</a>";
    QTaskDialog dialog(owner, content.c_str(), kProductCaption, L"About Vorlen", footer.c_str(), TDCBF_OK_BUTTON,
                       TDF_ENABLE_HYPERLINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW |
                           TDF_USE_HICON_MAIN | TDF_USE_HICON_FOOTER);
    dialog.mainIcon = ProgramIcon();
    dialog.footerIcon = ProgramIcon();
    dialog.expandedInformation =
        L"Vorlen keeps titled rich-text cards in a tree, in one database file.\n"
        L"Made by the Vorlen authors.\n"
        L"Free to use and to pass on unchanged.";
    dialog.collapsedControlText = L"Show more";
    dialog.expandedControlText = L"Hide";
    dialog.Show();
}

bool Win32UserPrompts::AskTakeOverDataFiles(HWND owner, const QString& currentOwner) {
    const QString text = QString(L"Card files (.data) open with \"") + currentOwner +
                         L"\" now.\n\nOpen them with Vorlen instead?";
    return MessageBoxW(owner, text.c_str(), L"Associate extensions", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

void Win32UserPrompts::OpenInShell(const QString& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

UINT Win32UserPrompts::ChooseFromMenu(HWND owner, HMENU popup, POINT screenPoint) {
    return kiln::qwin::TrackPopup(popup, screenPoint, owner, TPM_RIGHTBUTTON);
}

bool Win32UserPrompts::ChooseBackup(HWND owner, const std::vector<BackupChoice>& backups, size_t& chosen) {
    BackupsDialog dialog(backups);
    if (dialog.DoModal(owner) != IDOK) return false;
    chosen = dialog.GetChosen();
    return true;
}

bool Win32UserPrompts::ChooseMoveTarget(HWND owner, const QString& cardTitle, const MoveTargetLevel& readLevel,
                                        int64_t& parentId) {
    MoveToDialog dialog(cardTitle, readLevel);
    if (dialog.DoModal(owner) != IDOK) return false;
    parentId = dialog.GetChosen();
    return true;
}
