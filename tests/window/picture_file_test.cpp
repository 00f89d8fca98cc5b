#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "window/picture_file.h"

namespace {

// A 24-bit BMP file of width × height pixels given top row first.
std::string BmpFile(int width, int height, const std::vector<COLORREF>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    std::string bits;
    for (int y = height - 1; y >= 0; --y) {  // bottom-up rows
        std::string row;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y * width + x)];
            row += static_cast<char>(GetBValue(c));
            row += static_cast<char>(GetGValue(c));
            row += static_cast<char>(GetRValue(c));
        }
        row.resize(static_cast<size_t>(stride), '\0');
        bits += row;
    }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    return std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<const char*>(&info), sizeof(info)) + bits;
}

// The pixels of a 32-bit section as RGB, top row first.
std::vector<COLORREF> Pixels(HBITMAP bitmap) {
    DIBSECTION section = {};
    if (GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) return {};
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    const auto* bytes = static_cast<const uint8_t*>(section.dsBm.bmBits);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < width * height; ++i) pixels.push_back(RGB(bytes[4 * i + 2], bytes[4 * i + 1], bytes[4 * i]));
    return pixels;
}

bool Near(COLORREF a, COLORREF b) {
    const auto close = [](int x, int y) { return x - y <= 1 && y - x <= 1; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

// A picture drawn smaller averages the area each pixel covers, instead of
// picking every other pixel, so a scaled logo keeps its smooth edges.
TEST(PictureBytesTest, ScalingAveragesTheAreaEachPixelCovers) {
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    const struct {
        const char* name;
        int width, height;
        std::vector<COLORREF> pixels;
        UINT toWidth, toHeight;
        std::vector<COLORREF> expected;
    } cases[] = {
        {"halved", 4, 2, {red, red, blue, white, red, red, blue, black}, 2, 1, {red, RGB(64, 64, 191)}},
        {"a third", 3, 1, {white, black, black}, 1, 1, {RGB(85, 85, 85)}},
        {"grown", 1, 1, {blue}, 3, 2, std::vector<COLORREF>(6, blue)},
        {"wider, not taller", 2, 1, {white, black}, 4, 1, {white, white, black, black}},
    };
    for (const auto& c : cases) {
        const std::string file = BmpFile(c.width, c.height, c.pixels);
        HBITMAP bitmap = DecodePictureBytes(file.data(), static_cast<DWORD>(file.size()), c.toWidth, c.toHeight);
        ASSERT_NE(bitmap, nullptr) << c.name;
        const std::vector<COLORREF> pixels = Pixels(bitmap);
        DeleteObject(bitmap);
        ASSERT_EQ(pixels.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < pixels.size(); ++i) {
            EXPECT_TRUE(Near(pixels[i], c.expected[i]))
                << c.name << " pixel " << i << ": " << std::hex << pixels[i] << " not " << c.expected[i];
        }
    }
    EXPECT_EQ(DecodePictureBytes("not a picture", 13, 2, 2), nullptr);
    if (oleReady) OleUninitialize();
}

}  // namespace
