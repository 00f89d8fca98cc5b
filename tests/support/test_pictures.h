#pragma once

#include <string>

namespace guitest {

// A 2 x 2 red picture as a PNG file's bytes.
std::string SmallPng();

}  // namespace guitest
