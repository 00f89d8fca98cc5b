#pragma once

#include <windows.h>
#include <oleacc.h>

#include "core/qstring.h"

namespace kiln {
namespace qwin {

class AccessibleObject;

// One self-drawn part of a window (a button, a tab) as a screen reader
// sees it: a simple element without a window of its own.
struct AccessiblePart {
    qstd::QString name;
    long role = ROLE_SYSTEM_PUSHBUTTON;
    // STATE_SYSTEM_* flags.
    long state = 0;
    // In the window's client co-ordinates.
    RECT rect = {};
    // What accDoDefaultAction does, in words; empty when it does nothing.
    qstd::QString defaultAction;
};

// What a self-drawn window tells about itself and its parts. The window's
// own answers left empty (name) or 0 (role) are the system's.
class AccessibleSource {
public:
    virtual ~AccessibleSource() = default;
    virtual qstd::QString AccessibleName() const { return qstd::QString(); }
    virtual long AccessibleRole() const { return 0; }
    virtual int AccessiblePartCount() const { return 0; }
    virtual AccessiblePart AccessiblePartAt(int index) const;
    // Runs part index's default action; false when it has none.
    virtual bool DoAccessibleAction(int index);
};

// Answers WM_GETOBJECT for one window with an IAccessible: the system's
// object for the window, named and typed by the source, with one child per
// part. The object a client holds outlives the window; once the window is
// gone it answers as a disconnected object instead of reaching the source.
class QAccessible {
public:
    explicit QAccessible(AccessibleSource& source);
    QAccessible(const QAccessible&) = delete;
    QAccessible& operator=(const QAccessible&) = delete;
    ~QAccessible();

    // The answer to WM_GETOBJECT of window; false when the request is for
    // another object than the client area (the system then answers).
    bool Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Cuts every object handed out from the source; the window is going.
    void Disconnect();
    // Tells screen readers that the window's name (its text) changed.
    static void NotifyNameChange(HWND window);

private:
    AccessibleSource& source;
    // The object handed out last, owned by COM's count; null before the first request.
    AccessibleObject* object = nullptr;
};

}  // namespace qwin
}  // namespace kiln
