// A bitmap becomes a static picture object embedded at the selection.

#include <ole2.h>
#include <richole.h>

#include "window/qimage_idataobject.h"
#include "window/qolecallback.h"
#include "window/qrichedit.h"

namespace kiln {
namespace qwin {

namespace {

template <class T>
void ReleaseIfHeld(T* pointer) {
    if (pointer) pointer->Release();
}

}  // namespace

bool QRichEdit::InsertPicture(HBITMAP bitmap) {
    QImageIDataObject data(bitmap);
    FORMATETC format = data.GetFormat();

    IRichEditOle* richOle = nullptr;
    SendMessageW(handle, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&richOle));
    if (!richOle) return false;
    IOleClientSite* site = nullptr;
    richOle->GetClientSite(&site);
    IStorage* storage = CreateMemoryStorage();
    IOleObject* object = nullptr;
    bool inserted = false;
    if (site && storage &&
        SUCCEEDED(OleCreateStaticFromData(&data, IID_IOleObject, OLERENDER_FORMAT, &format, site, storage,
                                          reinterpret_cast<void**>(&object)))) {
        OleSetContainedObject(object, TRUE);
        REOBJECT embedded = {};
        embedded.cbStruct = sizeof(embedded);
        object->GetUserClassID(&embedded.clsid);
        embedded.cp = REO_CP_SELECTION;
        embedded.poleobj = object;
        embedded.pstg = storage;
        embedded.polesite = site;
        embedded.sizel.cx = 0;  // natural size
        embedded.sizel.cy = 0;
        embedded.dvaspect = DVASPECT_CONTENT;
        embedded.dwFlags = REO_RESIZABLE;
        inserted = SUCCEEDED(richOle->InsertObject(&embedded));
    }
    ReleaseIfHeld(object);
    ReleaseIfHeld(storage);
    ReleaseIfHeld(site);
    richOle->Release();
    return inserted;
}

}  // namespace qwin
}  // namespace kiln
