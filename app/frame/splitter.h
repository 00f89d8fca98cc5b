#pragma once

#include "window/qwindow.h"

// The bar between the card tree and the editors. The main window does the
// dragging: the splitter hands its mouse messages on to it unchanged.
class Splitter : public kiln::qwin::QWindow {
public:
    explicit Splitter(kiln::qwin::QWindow& owner);

    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    kiln::qwin::QWindow& owner;
};
