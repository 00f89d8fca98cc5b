#pragma once

#include "core/qstring.h"
#include "window/qdialog.h"

// "Enter password": asks for the password of an enciphered database that is
// being opened. Ends with 1 (OK, the box read into `password`) or 2.
class EnterPasswordDialog : public kiln::qwin::QDialog {
public:
    EnterPasswordDialog();

    bool ExchangeData(bool toControls) override;
    void OnOK() override;
    void OnCancel() override;

    kiln::qstd::QString GetPassword() const { return password; }

private:
    kiln::qstd::QString password;
};
