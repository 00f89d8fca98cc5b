// window_shot: the Windows half of scripts/screenshot.sh. Runs on the same
// Wine desktop as the program under test, waits for the program's window,
// saves the desktop as a PNG file and closes the window.
//
//   window_shot.exe TITLE OUTPUT.png [TIMEOUT_SECONDS] [SETTLE_MILLISECONDS]
//
// Exit codes: 0 done; 1 bad arguments; 2 no window in time; 3 the picture
// could not be written; 4 the window did not close after WM_CLOSE.

#include <windows.h>

#include <initguid.h>
#include <wincodec.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

const DWORD kPollMs = 100;
const DWORD kCloseTimeoutMs = 10000;

struct Search {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchVisibleTitle(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    if (!IsWindowVisible(window) || wcscmp(text, search->title) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        Search search{title, nullptr};
        EnumWindows(MatchVisibleTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(kPollMs);
    } while (GetTickCount64() < end);
    return nullptr;
}

// Top-down 32-bit pixels of the whole desktop.
std::vector<BYTE> CaptureDesktop(int width, int height) {
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    memcpy(pixels.data(), bits, pixels.size());
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    // The screen has no alpha channel; make every pixel opaque.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0xFF;
    return pixels;
}

template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
};

bool WritePng(const wchar_t* path, int width, int height, std::vector<BYTE>& pixels) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const UINT stride = static_cast<UINT>(width) * 4;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p))) &&
           SUCCEEDED(factory.p->CreateStream(&stream.p)) &&
           SUCCEEDED(stream.p->InitializeFromFilename(path, GENERIC_WRITE)) &&
           SUCCEEDED(factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) &&
           SUCCEEDED(encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder.p->CreateNewFrame(&frame.p, nullptr)) && SUCCEEDED(frame.p->Initialize(nullptr)) &&
           SUCCEEDED(frame.p->SetSize(width, height)) && SUCCEEDED(frame.p->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
           SUCCEEDED(frame.p->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data())) &&
           SUCCEEDED(frame.p->Commit()) && SUCCEEDED(encoder.p->Commit());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: window_shot TITLE OUTPUT.png [TIMEOUT_SECONDS] [SETTLE_MILLISECONDS]\n");
        return 1;
    }
    const DWORD timeoutMs = (argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 30) * 1000;
    const DWORD settleMs = argc > 4 ? static_cast<DWORD>(_wtoi(argv[4])) : 1500;

    HWND window = WaitForWindow(argv[1], timeoutMs);
    if (!window) {
        std::fwprintf(stderr, L"window_shot: no visible window titled \"%ls\" appeared\n", argv[1]);
        return 2;
    }
    // Let the program finish painting.
    Sleep(settleMs);

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<BYTE> pixels = CaptureDesktop(width, height);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool written = WritePng(argv[2], width, height, pixels);
    CoUninitialize();

    PostMessageW(window, WM_CLOSE, 0, 0);
    const ULONGLONG end = GetTickCount64() + kCloseTimeoutMs;
    while (IsWindow(window) && GetTickCount64() < end) Sleep(kPollMs);

    if (!written) {
        std::fwprintf(stderr, L"window_shot: could not write %ls\n", argv[2]);
        return 3;
    }
    if (IsWindow(window)) {
        std::fwprintf(stderr, L"window_shot: the window did not close\n");
        return 4;
    }
    return 0;
}
