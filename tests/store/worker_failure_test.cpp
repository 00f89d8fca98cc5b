#include "store/worker_failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "core/qerror.h"

using kiln::qstd::QError;

namespace {

std::wstring MessageOf(const std::function<void()>& thrower) {
    try {
        thrower();
    } catch (...) {
        return DescribeCurrentException().c_str();
    }
    ADD_FAILURE() << "nothing was thrown";
    return L"";
}

TEST(WorkerFailure, EveryKindOfExceptionBecomesAMessage) {
    const struct {
        const char* name;
        std::function<void()> thrower;
        const wchar_t* expected;
    } cases[] = {
        {"the library's own error keeps its message", [] { throw QError(L"disk I/O error"); }, L"disk I/O error"},
        {"memory running out", [] { throw std::bad_alloc(); }, L"There is not enough memory for this."},
        {"a standard exception tells its reason",
         [] { throw std::length_error("vector::reserve"); },
         L"An unexpected error occurred: vector::reserve"},
        {"a standard exception without a reason", [] { throw std::runtime_error(""); }, L"An unexpected error occurred."},
        {"anything else thrown", [] { throw 42; }, L"An unexpected error occurred."},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageOf(c.thrower), c.expected) << c.name;
}

}  // namespace
