#pragma once

#include "window/qgdi_object.h"
#include "window/qimage_list.h"
#include "window/qwindow.h"

// The panel that takes the card tree's place while the user searches: a
// title with a close box, the search box and the list of matching cards.
class SearchPanel : public kiln::qwin::QWindow {
public:
    static const int kSearchBoxId = 767;
    static const int kResultListId = 768;

    SearchPanel() = default;
    ~SearchPanel() override;

    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    // Created hidden: the search command shows it.
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;

    HWND GetSearchBox() const { return searchBox; }
    HWND GetResultList() const { return resultList; }

private:
    HWND searchBox = nullptr;
    HWND resultList = nullptr;
    kiln::qwin::QFont font;
    kiln::qwin::QFont titleFont;
    kiln::qwin::QBitmap strip;
    kiln::qwin::QImageList images;
};
