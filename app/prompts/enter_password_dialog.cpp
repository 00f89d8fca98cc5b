#include "app/prompts/enter_password_dialog.h"

#include "resources/command_ids.h"

EnterPasswordDialog::EnterPasswordDialog() : QDialog(IDD_ENTER_PASSWORD) {}

bool EnterPasswordDialog::ExchangeData(bool toControls) {
    if (!toControls) password = ItemText(IDC_PASSWORD);
    return true;
}

void EnterPasswordDialog::OnOK() {
    if (!OnClose()) return;
    ExchangeData(false);
    EndDialog(handle, IDOK);
}

void EnterPasswordDialog::OnCancel() {
    if (!OnClose()) return;
    EndDialog(handle, IDCANCEL);
}
