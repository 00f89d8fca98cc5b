#include "window/qgdi_object.h"

#include "window/display_scale.h"

namespace kiln {
namespace qwin {

HFONT CreateMenuFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font = {};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font = metrics.lfMenuFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    }
    // The system's metrics are for its own scale, not the monitor's.
    font.lfHeight = ScaleSystemLength(font.lfHeight);
    return CreateFontIndirectW(&font);
}

}  // namespace qwin
}  // namespace kiln
