#include "app/prompts/set_password_dialog.h"

#include "resources/command_ids.h"

SetPasswordDialog::SetPasswordDialog() : QDialog(IDD_SET_PASSWORD) {}

bool SetPasswordDialog::ExchangeData(bool toControls) {
    // The boxes start empty: nothing is ever shown in them.
    if (toControls) return true;
    entries.password = ItemText(IDC_SET_PASSWORD);
    entries.repeatPassword = ItemText(IDC_SET_REPEAT_PASSWORD);
    entries.compatible = IsDlgButtonChecked(handle, IDC_SET_COMPATIBLE) == BST_CHECKED;
    return true;
}

bool SetPasswordDialog::OnCommandId(int id) {
    if (id != IDC_SET_COMPATIBLE) return QDialog::OnCommandId(id);
    const bool checked = IsDlgButtonChecked(handle, IDC_SET_COMPATIBLE) == BST_CHECKED;
    ShowWindow(GetDlgItem(handle, IDC_SET_WEAK_WARNING), checked ? SW_SHOW : SW_HIDE);
    return true;
}

void SetPasswordDialog::OnOK() {
    if (!OnClose()) return;
    ExchangeData(false);
    EndDialog(handle, IDOK);
}

void SetPasswordDialog::OnCancel() {
    if (!OnClose()) return;
    EndDialog(handle, IDCANCEL);
}
