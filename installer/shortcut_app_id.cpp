// Gives a shortcut the application's user model id, so that the taskbar
// groups the running program with its Start menu entry and a pin made from
// either is the same pin. The setup program runs it on the shortcut it made:
//
//   shortcut-app-id.exe SHORTCUT.lnk APP-ID     sets the id
//   shortcut-app-id.exe SHORTCUT.lnk            prints the id it holds
//
// Exit status 0 when done, 1 when the shortcut could not be read or written.
#include <windows.h>
#include <objbase.h>
#include <propkey.h>
#include <propvarutil.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace {

template <class T>
struct Held {
    T* object = nullptr;
    ~Held() {
        if (object) object->Release();
    }
};

int Run(int argc, wchar_t** argv) {
    Held<IShellLinkW> link;
    Held<IPersistFile> file;
    Held<IPropertyStore> properties;
    const bool setting = argc == 3;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link.object))) ||
        FAILED(link.object->QueryInterface(IID_PPV_ARGS(&file.object))) ||
        FAILED(file.object->Load(argv[1], setting ? STGM_READWRITE : STGM_READ)) ||
        FAILED(link.object->QueryInterface(IID_PPV_ARGS(&properties.object)))) {
        std::fwprintf(stderr, L"%ls: not a shortcut that can be read\n", argv[1]);
        return 1;
    }
    PROPVARIANT value;
    if (!setting) {
        if (FAILED(properties.object->GetValue(PKEY_AppUserModel_ID, &value))) return 1;
        if (value.vt == VT_LPWSTR && value.pwszVal) std::wprintf(L"%ls\n", value.pwszVal);
        PropVariantClear(&value);
        return 0;
    }
    const bool written = SUCCEEDED(InitPropVariantFromString(argv[2], &value)) &&
                         SUCCEEDED(properties.object->SetValue(PKEY_AppUserModel_ID, value)) &&
                         SUCCEEDED(properties.object->Commit()) && SUCCEEDED(file.object->Save(argv[1], TRUE));
    PropVariantClear(&value);
    if (!written) std::fwprintf(stderr, L"%ls: the id could not be written\n", argv[1]);
    return written ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fwprintf(stderr, L"usage: shortcut-app-id SHORTCUT.lnk [APP-ID]\n");
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int status = Run(argc, argv);
    CoUninitialize();
    return status;
}
