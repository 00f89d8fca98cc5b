#include "app/enter_password_dialog.h"

#include "resources/command_ids.h"

EnterPasswordDialog::EnterPasswordDialog() : IDialog(IDD_ENTER_PASSWORD) {}

bool EnterPasswordDialog::ExchangeData(bool toControls) {
    if (toControls) return true;
    const HWND box = GetDlgItem(handle, IDC_PASSWORD);
    const int length = GetWindowTextLengthW(box);
    if (length <= 0) {
        password.Empty();
        return true;
    }
    GetWindowTextW(box, password.GetBuffer(length), length + 1);
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
