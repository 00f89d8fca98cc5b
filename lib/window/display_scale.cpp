#include "window/display_scale.h"

namespace kiln {
namespace qwin {

namespace {
// 1/96, as the factors have always been computed: keeping the same constant
// keeps every truncated size the same.
const double kPerDot = 0.010416667;
}  // namespace

double scaleX = 1.0;
double scaleY = 1.0;

void MeasureDisplayScale(HDC screen) {
    scaleX = GetDeviceCaps(screen, LOGPIXELSX) * kPerDot;
    scaleY = GetDeviceCaps(screen, LOGPIXELSY) * kPerDot;
}

}  // namespace qwin
}  // namespace kiln
