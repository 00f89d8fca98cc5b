#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// OLE for the life of the object. OleInitialize may answer S_FALSE (already
// initialised on this thread): that too is a reference to give back, so the
// destructor pairs every successful call. Before the thread's first session
// ends, the clipboard's data is rendered so that what the user copied
// outlives the program; a nested session leaves that to the outer one.
class QOleSession {
public:
    // Throws QError(failureText) when OLE cannot be initialised.
    explicit QOleSession(const wchar_t* failureText);
    QOleSession(const QOleSession&) = delete;
    QOleSession& operator=(const QOleSession&) = delete;
    ~QOleSession();

private:
    bool outermost;
};

// Buffered painting (BufferedPaintInit) for the life of the object.
class QBufferedPaintSession {
public:
    QBufferedPaintSession();
    QBufferedPaintSession(const QBufferedPaintSession&) = delete;
    QBufferedPaintSession& operator=(const QBufferedPaintSession&) = delete;
    ~QBufferedPaintSession();

private:
    bool initialised;
};

}  // namespace qwin
}  // namespace kiln
