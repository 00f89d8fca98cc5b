#include "test_pictures.h"

#include <windows.h>
#include <wincodec.h>

#include <vector>

namespace guitest {

std::string SmallPng() {
    const unsigned char bytes[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xFD, 0xD4, 0x9A, 0x73, 0x00,
        0x00, 0x00, 0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x44, 0x0C, 0x10,
        0x0A, 0x00, 0x1F, 0xEE, 0x03, 0xFD, 0x8B, 0x5F, 0x14, 0xD4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E,
        0x44, 0xAE, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string SmallBmp() {
    const unsigned char bytes[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                        // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,  // info header
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 255, 0, 255, 0, 0, 0,   // red, green, padding
        255, 0, 0, 255, 255, 255, 0, 0,  // blue, white, padding
    };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

std::string SmallGif() {
    const unsigned char bytes[] = {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,  // screen, two colours
        0, 0, 0, 255, 255, 255,                                // black, white
        0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,                       // image
        2, 2, 0x44, 0x01, 0,                                   // pixels
        0x3B};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

namespace {

template <class T>
struct Released {
    T* pointer = nullptr;
    ~Released() {
        if (pointer) pointer->Release();
    }
    void** Receive() { return reinterpret_cast<void**>(&pointer); }
};

}  // namespace

std::string SmallJpeg() {
    Released<IWICImagingFactory> factory;
    Released<IStream> stream;
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.Receive())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.Receive()))) ||
        FAILED(factory.pointer->CreateEncoder(GUID_ContainerFormatJpeg, nullptr,
                                              reinterpret_cast<IWICBitmapEncoder**>(encoder.Receive()))) ||
        FAILED(encoder.pointer->Initialize(stream.pointer, WICBitmapEncoderNoCache)) ||
        FAILED(encoder.pointer->CreateNewFrame(reinterpret_cast<IWICBitmapFrameEncode**>(frame.Receive()), nullptr))) {
        return std::string();
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    std::vector<BYTE> pixels(3 * 3 * 2, 0x80);
    if (FAILED(frame.pointer->Initialize(nullptr)) || FAILED(frame.pointer->SetSize(3, 2)) ||
        FAILED(frame.pointer->SetResolution(144, 72)) || FAILED(frame.pointer->SetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ||
        FAILED(frame.pointer->WritePixels(2, 9, static_cast<UINT>(pixels.size()), pixels.data())) ||
        FAILED(frame.pointer->Commit()) || FAILED(encoder.pointer->Commit())) {
        return std::string();
    }
    STATSTG status = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream.pointer->Stat(&status, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromStream(stream.pointer, &memory))) {
        return std::string();
    }
    const char* bytes = static_cast<const char*>(GlobalLock(memory));
    std::string jpeg(bytes, static_cast<size_t>(status.cbSize.QuadPart));
    GlobalUnlock(memory);
    return jpeg;
}

}  // namespace guitest
