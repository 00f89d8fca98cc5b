#pragma once

#include "core/qstring.h"

// What the user typed in the password dialogs, and the checks made on it
// before anything touches the file. Each check gives the message that refuses
// the entries, or an empty string when they may be used; the checks run in
// the order the user meets the boxes, and the first that fails decides.

// Set Password on a plain database.
struct NewPasswordEntries {
    kiln::qstd::QString password;
    kiln::qstd::QString repeatPassword;
    // The old, weak file format, for older versions of the program.
    bool compatible = false;
};

// Change Password on an enciphered one.
struct PasswordChangeEntries {
    kiln::qstd::QString oldPassword;
    kiln::qstd::QString newPassword;
    kiln::qstd::QString repeatNewPassword;
    bool compatible = false;
};

// Two entries are the same only when both hold something and agree code unit
// for code unit: an empty entry matches nothing, not even another empty one.
bool SamePassword(const kiln::qstd::QString& first, const kiln::qstd::QString& second);

kiln::qstd::QString RefuseNewPassword(const NewPasswordEntries& entries);
// currentPassword is the one the open database was opened or last keyed with.
kiln::qstd::QString RefusePasswordChange(const kiln::qstd::QString& currentPassword,
                                         const PasswordChangeEntries& entries);
