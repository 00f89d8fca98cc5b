#include "app/prompts/password_entries.h"

#include <cwchar>

using kiln::qstd::QString;

bool SamePassword(const QString& first, const QString& second) {
    if (first.IsEmpty() || second.IsEmpty() || first.GetLength() != second.GetLength()) return false;
    return std::wmemcmp(first.c_str(), second.c_str(), static_cast<size_t>(first.GetLength())) == 0;
}

QString RefuseNewPassword(const NewPasswordEntries& entries) {
    if (!SamePassword(entries.password, entries.repeatPassword)) return L"Password don`t match!!";
    return QString();
}

QString RefusePasswordChange(const QString& currentPassword, const PasswordChangeEntries& entries) {
    if (!SamePassword(entries.oldPassword, currentPassword)) return L"Old password don`t match!";
    if (SamePassword(entries.newPassword, entries.oldPassword)) return L"New password is same as the old one!";
    if (entries.newPassword.IsEmpty()) return L"You must set a nonempty password!";
    if (!SamePassword(entries.newPassword, entries.repeatNewPassword)) return L"Password mismatch!";
    return QString();
}
