#include "store/worker_failure.h"

#include <exception>
#include <new>

#include "core/qerror.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

QString DescribeCurrentException() {
    try {
        throw;
    } catch (const QError& error) {
        return error.message;
    } catch (const std::bad_alloc&) {
        return L"There is not enough memory for this.";
    } catch (const std::exception& error) {
        // Messages of the standard library are ASCII; anything else is shown
        // as the system's code page reads it rather than not at all.
        const QString what(error.what(), -1, CP_ACP);
        return what.IsEmpty() ? QString(L"An unexpected error occurred.") : L"An unexpected error occurred: " + what;
    } catch (...) {
        return L"An unexpected error occurred.";
    }
}
