#pragma once

#include <ostream>

#include "app/frame/main_layout.h"

// How GoogleTest shows a placement in a failure message; found by argument
// lookup, so it sits in the namespace of Placement.
inline void PrintTo(const Placement& p, std::ostream* out) {
    *out << "(" << p.x << ", " << p.y << ", " << p.width << " x " << p.height << ")";
}
