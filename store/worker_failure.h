#pragma once

#include "core/qstring.h"

// What a worker thread tells the user when its work ended by an exception.
// An exception that leaves a thread's function ends the whole process, with
// the user's unsaved words; a worker therefore catches everything and turns
// it into a message instead. Call only inside a catch block.
kiln::qstd::QString DescribeCurrentException();
