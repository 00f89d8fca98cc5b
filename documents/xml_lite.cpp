#include "documents/xml_lite.h"

#include "core/system_library.h"

namespace {

// IID_IXmlReader; the compiler's headers declare it but no library defines it.
const IID XmlReaderIid = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID riid, void** object, IMalloc* malloc);

CreateXmlReaderFunction FindCreateXmlReader() {
    HMODULE module = kiln::qstd::LoadSystemLibrary(L"xmllite.dll");
    if (!module) {
        return nullptr;
    }
    return reinterpret_cast<CreateXmlReaderFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")));
}

}  // namespace

bool CreateXmlReaderOn(IStream* input, ComPtr<IXmlReader>& reader) {
    static const CreateXmlReaderFunction create = FindCreateXmlReader();
    return create && SUCCEEDED(create(XmlReaderIid, reader.ReceiveVoid(), nullptr)) && reader &&
           SUCCEEDED(reader->SetInput(input));
}
