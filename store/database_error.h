#pragma once

#include <sqlite3.h>

#include "core/qerror.h"

// The storage engine's failure on one connection as the program reports it:
// the engine's own message with its extended result code.
kiln::qstd::QError databaseError(sqlite3* connection);
