// The checks made on what was typed in the password dialogs, in their order.

#include <gtest/gtest.h>

#include <string>

#include "app/prompts/password_entries.h"

namespace {

using kiln::qstd::QString;

TEST(PasswordEntriesTest, OnlyTwoNonEmptyEntriesOfTheSameCodeUnitsAreTheSame) {
    struct Case {
        const wchar_t* first;
        const wchar_t* second;
        bool same;
    };
    const Case cases[] = {
        {L"Secret", L"Secret", true},
        {L"\u00e9t\u00e9 \U0001F511", L"\u00e9t\u00e9 \U0001F511", true},
        {L"", L"", false},
        {L"Secret", L"", false},
        {L"", L"Secret", false},
        {L"Secret", L"secret", false},
        {L"Secret", L"Secret ", false},
        {L" Secret", L"Secret", false},
        {L"Secret", L"Secre", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.first << "\" and \"" << c.second << "\"");
        EXPECT_EQ(SamePassword(c.first, c.second), c.same);
    }
}

TEST(PasswordEntriesTest, ANewPasswordMustBeTypedTheSameTwice) {
    struct Case {
        const wchar_t* password;
        const wchar_t* repeat;
        const wchar_t* refusal;
    };
    const Case cases[] = {
        {L"Secret", L"Secret", L""},
        {L"Secret", L"Secrets", L"Password don`t match!!"},
        {L"", L"", L"Password don`t match!!"},
        {L"Secret", L"", L"Password don`t match!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.password << "\" and \"" << c.repeat << "\"");
        EXPECT_STREQ(RefuseNewPassword(NewPasswordEntries{c.password, c.repeat}).c_str(), c.refusal);
    }
}

TEST(PasswordEntriesTest, AChangeIsCheckedOldFirstThenSameThenEmptyThenRepeat) {
    const QString current = L"Old one";
    struct Case {
        const char* name;
        PasswordChangeEntries entries;
        const wchar_t* refusal;
    };
    const Case cases[] = {
        {"accepted", {L"Old one", L"New one", L"New one"}, L""},
        {"accepted, shorter", {L"Old one", L"N", L"N"}, L""},
        {"wrong old", {L"old one", L"New one", L"New one"}, L"Old password don`t match!"},
        {"old left empty", {L"", L"New one", L"New one"}, L"Old password don`t match!"},
        {"wrong old before everything else", {L"Wrong", L"", L"x"}, L"Old password don`t match!"},
        {"new equals old, repeat differing", {L"Old one", L"Old one", L"x"}, L"New password is same as the old one!"},
        {"new empty", {L"Old one", L"", L""}, L"You must set a nonempty password!"},
        {"new empty, repeat filled", {L"Old one", L"", L"New one"}, L"You must set a nonempty password!"},
        {"repeat differs", {L"Old one", L"New one", L"New on"}, L"Password mismatch!"},
        {"repeat empty", {L"Old one", L"New one", L""}, L"Password mismatch!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(RefusePasswordChange(current, c.entries).c_str(), c.refusal);
    }
}

}  // namespace
