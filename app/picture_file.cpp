#include "app/picture_file.h"

#include <wincodec.h>

#include <cstdint>

#include "documents/com_ptr.h"

using kiln::qstd::QString;

namespace {

// Owner of a bitmap until it is handed out.
class BitmapOwner {
public:
    explicit BitmapOwner(HBITMAP bitmap) : bitmap(bitmap) {}
    BitmapOwner(const BitmapOwner&) = delete;
    BitmapOwner& operator=(const BitmapOwner&) = delete;
    ~BitmapOwner() {
        if (bitmap) DeleteObject(bitmap);
    }
    HBITMAP Release() {
        HBITMAP out = bitmap;
        bitmap = nullptr;
        return out;
    }

private:
    HBITMAP bitmap;
};

}  // namespace

HBITMAP DecodePictureFile(const QString& path) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.ReceiveVoid()))) {
        return nullptr;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnLoad, reinterpret_cast<IWICBitmapDecoder**>(decoder.ReceiveVoid())))) {
        return nullptr;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.ReceiveVoid())))) return nullptr;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(reinterpret_cast<IWICFormatConverter**>(converter.ReceiveVoid()))) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) return nullptr;
    const uint64_t stride = static_cast<uint64_t>(width) * 4;
    const uint64_t size = stride * height;
    // Larger pictures would overflow the 32-bit sizes of the copy below.
    if (size > UINT32_MAX || width > INT32_MAX || height > INT32_MAX) return nullptr;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    BitmapOwner bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!pixels) return nullptr;
    if (FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(size),
                                     static_cast<BYTE*>(pixels)))) {
        return nullptr;
    }
    return bitmap.Release();
}
