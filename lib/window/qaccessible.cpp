#include "window/qaccessible.h"

namespace kiln {
namespace qwin {

using qstd::QString;

AccessiblePart AccessibleSource::AccessiblePartAt(int) const {
    return AccessiblePart();
}

bool AccessibleSource::DoAccessibleAction(int) {
    return false;
}

namespace {

BSTR MakeBstr(const QString& text) {
    return SysAllocString(text.c_str());
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

}  // namespace

// The window's IAccessible. Questions about the window itself go to the
// system's standard object unless the source answers them; child ids 1..n
// are the source's parts.
class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(HWND window, AccessibleSource* source) : window(window), source(source) {
        CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard));
    }
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    void Disconnect() { source = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: screen readers call the interface's methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!standard) return E_FAIL;
        return standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!Connected()) return RPC_E_DISCONNECTED;
        *count = source->AccessiblePartCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!Connected()) return RPC_E_DISCONNECTED;
        // The parts are simple elements: the parent answers for them.
        return PartOf(child) >= 0 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) {
            const QString own = source->AccessibleName();
            if (own.IsEmpty()) return standard ? standard->get_accName(child, name) : S_FALSE;
            *name = MakeBstr(own);
            return S_OK;
        }
        const int part = PartOf(child);
        if (part < 0) return E_INVALIDARG;
        *name = MakeBstr(source->AccessiblePartAt(part).name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        if (IsSelf(child) && standard) return standard->get_accValue(child, value);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        if (!text) return E_POINTER;
        *text = nullptr;
        if (IsSelf(child) && standard) return standard->get_accDescription(child, text);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        if (!Connected()) return RPC_E_DISCONNECTED;
        long value = 0;
        if (IsSelf(child)) {
            value = source->AccessibleRole();
            if (!value) return standard ? standard->get_accRole(child, role) : S_FALSE;
        } else {
            const int part = PartOf(child);
            if (part < 0) return E_INVALIDARG;
            value = source->AccessiblePartAt(part).role;
        }
        role->vt = VT_I4;
        role->lVal = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return standard ? standard->get_accState(child, state) : S_FALSE;
        const int part = PartOf(child);
        if (part < 0) return E_INVALIDARG;
        state->vt = VT_I4;
        state->lVal = source->AccessiblePartAt(part).state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        if (!help) return E_POINTER;
        *help = nullptr;
        if (IsSelf(child) && standard) return standard->get_accHelp(child, help);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (IsSelf(child) && standard) return standard->get_accHelpTopic(file, child, topic);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        if (!keys) return E_POINTER;
        *keys = nullptr;
        if (IsSelf(child) && standard) return standard->get_accKeyboardShortcut(child, keys);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        return standard ? standard->get_accFocus(focus) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        if (!Connected()) return RPC_E_DISCONNECTED;
        for (int i = 0; i < source->AccessiblePartCount(); ++i) {
            if (source->AccessiblePartAt(i).state & STATE_SYSTEM_SELECTED) {
                selection->vt = VT_I4;
                selection->lVal = i + 1;
                return S_OK;
            }
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return standard ? standard->get_accDefaultAction(child, action) : S_FALSE;
        const int part = PartOf(child);
        if (part < 0) return E_INVALIDARG;
        const QString words = source->AccessiblePartAt(part).defaultAction;
        if (words.IsEmpty()) return S_FALSE;
        *action = MakeBstr(words);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (IsSelf(child) && standard) return standard->accSelect(flags, child);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* cx, long* cy, VARIANT child) override {
        if (!x || !y || !cx || !cy) return E_POINTER;
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return standard ? standard->accLocation(x, y, cx, cy, child) : S_FALSE;
        const int part = PartOf(child);
        if (part < 0) return E_INVALIDARG;
        RECT rect = source->AccessiblePartAt(part).rect;
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *x = rect.left;
        *y = rect.top;
        *cx = rect.right - rect.left;
        *cy = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        if (!Connected()) return RPC_E_DISCONNECTED;
        const long count = source->AccessiblePartCount();
        long target = 0;
        if (IsSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD) target = count > 0 ? 1 : 0;
            else if (direction == NAVDIR_LASTCHILD) target = count;
            else return standard ? standard->accNavigate(direction, start, end) : S_FALSE;
        } else {
            const int part = PartOf(start);
            if (part < 0) return E_INVALIDARG;
            if (direction == NAVDIR_NEXT && part + 1 < count) target = part + 2;
            if (direction == NAVDIR_PREVIOUS && part > 0) target = part;
        }
        if (!target) return S_FALSE;
        end->vt = VT_I4;
        end->lVal = target;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        VariantInit(hit);
        if (!Connected()) return RPC_E_DISCONNECTED;
        POINT point = {x, y};
        ScreenToClient(window, &point);
        for (int i = 0; i < source->AccessiblePartCount(); ++i) {
            const RECT rect = source->AccessiblePartAt(i).rect;
            if (PtInRect(&rect, point)) {
                hit->vt = VT_I4;
                hit->lVal = i + 1;
                return S_OK;
            }
        }
        return standard ? standard->accHitTest(x, y, hit) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (IsSelf(child)) return standard ? standard->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
        const int part = PartOf(child);
        if (part < 0) return E_INVALIDARG;
        return source->DoAccessibleAction(part) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() {
        if (standard) standard->Release();
    }
    bool Connected() const { return source && IsWindow(window); }
    // The part a child id names, or -1.
    int PartOf(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > source->AccessiblePartCount()) return -1;
        return static_cast<int>(child.lVal - 1);
    }

    LONG references = 1;
    HWND window;
    AccessibleSource* source;
    IAccessible* standard = nullptr;
};

QAccessible::QAccessible(AccessibleSource& source) : source(source) {}

QAccessible::~QAccessible() {
    Disconnect();
}

bool QAccessible::Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
    if (!object) object = new AccessibleObject(window, &source);
    *result = LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    return true;
}

void QAccessible::Disconnect() {
    if (!object) return;
    object->Disconnect();
    object->Release();
    object = nullptr;
}

void QAccessible::NotifyNameChange(HWND window) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace qwin
}  // namespace kiln
