#include "app/prompts/change_password_dialog.h"

#include "resources/command_ids.h"

ChangePasswordDialog::ChangePasswordDialog() : QDialog(IDD_CHANGE_PASSWORD) {}

bool ChangePasswordDialog::ExchangeData(bool toControls) {
    // The boxes start empty: no password is ever shown in them.
    if (toControls) return true;
    entries.oldPassword = ItemText(IDC_OLD_PASSWORD);
    entries.newPassword = ItemText(IDC_NEW_PASSWORD);
    entries.repeatNewPassword = ItemText(IDC_REPEAT_NEW_PASSWORD);
    entries.compatible = IsDlgButtonChecked(handle, IDC_CHANGE_COMPATIBLE) == BST_CHECKED;
    return true;
}

bool ChangePasswordDialog::OnCommandId(int id) {
    if (id != IDC_CHANGE_COMPATIBLE) return QDialog::OnCommandId(id);
    const bool checked = IsDlgButtonChecked(handle, IDC_CHANGE_COMPATIBLE) == BST_CHECKED;
    ShowWindow(GetDlgItem(handle, IDC_CHANGE_WEAK_WARNING), checked ? SW_SHOW : SW_HIDE);
    return true;
}

void ChangePasswordDialog::OnOK() {
    if (!OnClose()) return;
    ExchangeData(false);
    EndDialog(handle, IDOK);
}

void ChangePasswordDialog::OnCancel() {
    if (!OnClose()) return;
    EndDialog(handle, IDCANCEL);
}
