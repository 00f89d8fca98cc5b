#pragma once

#include <windows.h>
#include <richole.h>

namespace kiln {
namespace qwin {

// What the rich edit control asks its container while it holds embedded
// objects: fresh storage for each object, and permission for every insert,
// paste and drop. The control and the wrapper each hold a reference; the
// object deletes itself when the last one is released.
class QOleCallback final : public IRichEditOleCallback {
public:
    explicit QOleCallback(HWND control);
    QOleCallback(const QOleCallback&) = delete;
    QOleCallback& operator=(const QOleCallback&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override;
    HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                                LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL show) override;
    HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID classId, LPSTORAGE storage, LONG position) override;
    HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT object) override;
    HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD operation,
                                              BOOL really, HGLOBAL metafile) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE* range, DWORD operation, LPDATAOBJECT* data) override;
    HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL drag, DWORD keyState, LPDWORD effect) override;
    HRESULT STDMETHODCALLTYPE GetContextMenu(WORD selectionType, LPOLEOBJECT object, CHARRANGE* range,
                                             HMENU* menu) override;

private:
    ~QOleCallback() = default;

    LONG references = 1;
    HWND control;
};

// A compound-file storage on fresh global memory, which the storage frees
// when it is released; null on failure.
IStorage* CreateMemoryStorage();

}  // namespace qwin
}  // namespace kiln
