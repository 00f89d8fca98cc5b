#pragma once

#include <string>

namespace guitest {

// A 2 x 2 red picture as a PNG file's bytes.
std::string SmallPng();
// A 2 x 2 picture as a 24-bit BMP file's bytes.
std::string SmallBmp();
// A 1 x 1 picture as a GIF file's bytes.
std::string SmallGif();
// A 3 x 2 picture as a JPEG file of 144 by 72 dots per inch, encoded by the
// imaging component; empty when it has no JPEG encoder. COM must be
// initialised on the thread.
std::string SmallJpeg();

}  // namespace guitest
