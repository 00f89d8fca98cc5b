#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "crash_scenarios.h"
#include "test_support.h"

// An enciphered database of eight cards on which the update transaction has
// run once: the cards before and after it, and the file as it was before it,
// so that each round of a test can start again from there.
class UpdatedCardsTest : public testing::Test {
protected:
    void prepare(const wchar_t* password, const char* marker, CipherFormat format = CipherFormat::format1) {
        DeleteFileW(path.c_str());
        DeleteFileW((path + L"-journal").c_str());
        {
            Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, format);
            addCards(db, 8, marker);
            before = cardDigest(db);
        }
        pristine = readFileBytes(path);
        Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE);
        ASSERT_EQ(db.exec(kUpdateSql), SQLITE_OK) << db.error();
        after = cardDigest(db);
    }

    void restorePristine() {
        DeleteFileW((path + L"-journal").c_str());
        writeFileBytes(path, pristine);
    }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    Bytes pristine;
    std::string before;
    std::string after;
};
