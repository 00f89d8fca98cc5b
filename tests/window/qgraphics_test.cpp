#include <gtest/gtest.h>

#include "gui_harness.h"
#include "window/qgraphics.h"

namespace {

using kiln::qwin::QBorrowedGraphics;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(200, 0, 0);
const COLORREF kBlue = RGB(0, 0, 200);

TEST(Graphics, TheBaseDeletesTheContextItOwns) {
    HDC dc = CreateCompatibleDC(nullptr);
    { QGraphics graphics(dc); }
    EXPECT_EQ(GetObjectType(dc), 0u);

    HDC kept = CreateCompatibleDC(nullptr);
    {
        QGraphics graphics(kept);
        EXPECT_EQ(graphics.Detach(), kept);
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_MEMDC));
    DeleteDC(kept);

    guitest::Canvas canvas(4, 4);
    { QBorrowedGraphics borrowed(canvas.GetDC()); }
    EXPECT_EQ(GetObjectType(canvas.GetDC()), static_cast<DWORD>(OBJ_MEMDC));
}

// Drawing through the buffer uses the target's co-ordinates and reaches the
// target only inside the rectangle, when the buffer is destroyed.
TEST(Graphics, MemoryGraphicsCopiesItsRectangleToTheTargetAtTheEnd) {
    guitest::Canvas canvas(60, 60, kWhite);
    QBorrowedGraphics target(canvas.GetDC());
    const RECT rect = {10, 20, 40, 50};
    {
        QMemoryGraphics buffer(target, rect);
        buffer.FillSolidRect(RECT{0, 0, 60, 60}, kBlue);
        buffer.FillSolidRect(RECT{10, 20, 20, 30}, kRed);
        EXPECT_EQ(canvas.Pixel(12, 22), kWhite) << "drawn before the copy";
    }
    EXPECT_EQ(canvas.Pixel(10, 20), kRed);
    EXPECT_EQ(canvas.Pixel(19, 29), kRed);
    EXPECT_EQ(canvas.Pixel(20, 30), kBlue);
    EXPECT_EQ(canvas.Pixel(39, 49), kBlue);
    EXPECT_EQ(canvas.Pixel(40, 49), kWhite);
    EXPECT_EQ(canvas.Pixel(9, 25), kWhite);
    EXPECT_EQ(canvas.Pixel(15, 50), kWhite);
}

}  // namespace
