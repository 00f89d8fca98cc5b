#include "window/qgdi_object.h"

namespace kiln {
namespace qwin {

HFONT CreateMenuFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return CreateFontIndirectW(&metrics.lfMenuFont);
    }
    LOGFONTW fallback = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return CreateFontIndirectW(&fallback);
}

}  // namespace qwin
}  // namespace kiln
