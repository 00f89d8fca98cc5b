#pragma once

#include "app/prompts/password_entries.h"
#include "window/qdialog.h"

// "Change Password": the password the database is under, and the new one
// typed twice. Ends with 1 (OK, the boxes read into the entries) or 2.
class ChangePasswordDialog : public kiln::qwin::QDialog {
public:
    ChangePasswordDialog();

    bool ExchangeData(bool toControls) override;
    // The compatibility box brings up its warning while it is checked.
    bool OnCommandId(int id) override;
    void OnOK() override;
    void OnCancel() override;

    PasswordChangeEntries GetEntries() const { return entries; }

private:
    PasswordChangeEntries entries;
};
