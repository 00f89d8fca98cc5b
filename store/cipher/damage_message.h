#pragma once

#include <cstdint>

#include "core/qstring.h"

// What the user is told of a page that failed its check.
kiln::qstd::QString damagedFileMessage(uint32_t pageNumber);
