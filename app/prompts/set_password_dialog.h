#pragma once

#include "app/prompts/password_entries.h"
#include "window/qdialog.h"

// "Set password": the password for a plain database, typed twice. Ends with
// 1 (OK, the boxes read into the entries) or 2.
class SetPasswordDialog : public kiln::qwin::QDialog {
public:
    SetPasswordDialog();

    bool ExchangeData(bool toControls) override;
    // The compatibility box brings up its warning while it is checked.
    bool OnCommandId(int id) override;
    void OnOK() override;
    void OnCancel() override;

    NewPasswordEntries GetEntries() const { return entries; }

private:
    NewPasswordEntries entries;
};
