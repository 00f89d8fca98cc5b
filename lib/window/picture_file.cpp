#include "window/picture_file.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/com_ptr.h"

using kiln::qstd::QBuffer;
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

// Resamples one axis of premultiplied BGRA pixels by area: each target
// pixel is the average of the source area it covers, weighted by how much
// of each source pixel falls into it. Smooth for shrinking and growing
// alike, whatever interpolation the system's own scaler offers.
std::vector<float> ResampleAxis(const std::vector<float>& from, UINT lines, UINT fromLength, UINT toLength,
                                size_t lineStep, size_t pixelStep, size_t toLineStep, size_t toPixelStep) {
    std::vector<float> to(static_cast<size_t>(lines) * toLength * 4, 0.0f);
    const double ratio = static_cast<double>(fromLength) / toLength;
    for (UINT target = 0; target < toLength; ++target) {
        const double begin = target * ratio;
        const double end = begin + ratio;
        for (UINT source = static_cast<UINT>(begin); source < fromLength && source < end; ++source) {
            const double overlap = std::min<double>(source + 1, end) - std::max<double>(source, begin);
            const float weight = static_cast<float>(overlap / ratio);
            for (UINT line = 0; line < lines; ++line) {
                const float* in = &from[line * lineStep + source * pixelStep];
                float* out = &to[line * toLineStep + target * toPixelStep];
                for (int channel = 0; channel < 4; ++channel) out[channel] += in[channel] * weight;
            }
        }
    }
    return to;
}

// width × height pixels of a PBGRA source, resampled by area.
bool ResamplePixels(IWICBitmapSource* source, UINT width, UINT height, BYTE* pixels) {
    UINT fromWidth = 0;
    UINT fromHeight = 0;
    if (FAILED(source->GetSize(&fromWidth, &fromHeight)) || fromWidth == 0 || fromHeight == 0) return false;
    const uint64_t size = static_cast<uint64_t>(fromWidth) * fromHeight * 4;
    if (size > UINT32_MAX) return false;
    std::vector<BYTE> bytes(static_cast<size_t>(size));
    if (FAILED(source->CopyPixels(nullptr, fromWidth * 4, static_cast<UINT>(size), bytes.data()))) return false;
    const std::vector<float> original(bytes.begin(), bytes.end());
    // Rows first (height lines of fromWidth pixels), then columns.
    const std::vector<float> wide =
        ResampleAxis(original, fromHeight, fromWidth, width, fromWidth * 4, 4, static_cast<size_t>(width) * 4, 4);
    const std::vector<float> done =
        ResampleAxis(wide, width, fromHeight, height, 4, static_cast<size_t>(width) * 4, 4, static_cast<size_t>(width) * 4);
    for (size_t i = 0; i < done.size(); ++i) {
        pixels[i] = static_cast<BYTE>(std::min(255.0f, done[i] + 0.5f));
    }
    return true;
}

// The first frame of decoder as PBGRA pixels, at its own size when width and
// height are 0, else resampled to them.
HBITMAP DecodeFirstFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, UINT width, UINT height) {
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.ReceiveVoid())))) return nullptr;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(reinterpret_cast<IWICFormatConverter**>(converter.ReceiveVoid()))) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    const bool resample = width && height;
    if (!resample && (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0)) return nullptr;
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
    BYTE* target = static_cast<BYTE*>(pixels);
    const bool copied = resample ? ResamplePixels(converter.Get(), width, height, target)
                                 : SUCCEEDED(converter->CopyPixels(nullptr, static_cast<UINT>(stride),
                                                                   static_cast<UINT>(size), target));
    return copied ? bitmap.Release() : nullptr;
}

bool CreateFactory(ComPtr<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, factory.ReceiveVoid()));
}

}  // namespace

HBITMAP DecodePictureFile(const QString& path) {
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnLoad, reinterpret_cast<IWICBitmapDecoder**>(decoder.ReceiveVoid())))) {
        return nullptr;
    }
    return DecodeFirstFrame(factory.Get(), decoder.Get(), 0, 0);
}

HBITMAP DecodePictureBytes(const void* bytes, DWORD size, UINT width, UINT height) {
    ComPtr<IWICImagingFactory> factory;
    if (!bytes || size == 0 || !CreateFactory(factory)) return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(reinterpret_cast<IWICStream**>(stream.ReceiveVoid()))) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), size))) {
        return nullptr;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                reinterpret_cast<IWICBitmapDecoder**>(decoder.ReceiveVoid())))) {
        return nullptr;
    }
    return DecodeFirstFrame(factory.Get(), decoder.Get(), width, height);
}

bool EncodePictureFileAsPng(const QString& path, QBuffer& png) {
    ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return false;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                  reinterpret_cast<IWICBitmapDecoder**>(decoder.ReceiveVoid()))) ||
        FAILED(decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.ReceiveVoid())))) {
        return false;
    }
    // Straight alpha: a PNG never holds premultiplied pixels.
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(factory->CreateFormatConverter(reinterpret_cast<IWICFormatConverter**>(converter.ReceiveVoid()))) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) {
        return false;
    }
    double dpiX = 96;
    double dpiY = 96;
    if (FAILED(frame->GetResolution(&dpiX, &dpiY)) || dpiX <= 0 || dpiY <= 0) dpiX = dpiY = 96;

    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.ReceiveVoid())))) return false;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> target;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr,
                                      reinterpret_cast<IWICBitmapEncoder**>(encoder.ReceiveVoid()))) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(reinterpret_cast<IWICBitmapFrameEncode**>(target.ReceiveVoid()), nullptr)) ||
        FAILED(target->Initialize(nullptr)) || FAILED(target->SetSize(width, height)) ||
        FAILED(target->SetResolution(dpiX, dpiY)) || FAILED(target->SetPixelFormat(&format)) ||
        FAILED(target->WriteSource(converter.Get(), nullptr)) || FAILED(target->Commit()) ||
        FAILED(encoder->Commit())) {
        return false;
    }
    STATSTG status = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.Get(), &memory)) ||
        status.cbSize.QuadPart == 0 || status.cbSize.QuadPart > UINT32_MAX) {
        return false;
    }
    const void* bytes = GlobalLock(memory);
    if (!bytes) return false;
    png.Append(bytes, static_cast<unsigned>(status.cbSize.QuadPart));
    GlobalUnlock(memory);
    return true;
}
