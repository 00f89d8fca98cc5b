#pragma once

#include <windows.h>

namespace kiln {
namespace qapp {

// The application object: initialisation, the message loop and its end.
class QApp {
public:
    explicit QApp(HINSTANCE module) : module(module) {}
    QApp(const QApp&) = delete;
    QApp& operator=(const QApp&) = delete;
    virtual ~QApp() = default;

    // false ends the run before the loop with -1.
    virtual bool InitInstance();
    virtual void ExitInstance();
    // true when the message was consumed (an accelerator, for example).
    virtual bool PreTranslateMessage(MSG* msg);

    // Runs the message loop until WM_QUIT. An error that escapes is shown to
    // the user and the run ends with 0.
    int Run();

    HINSTANCE GetModule() const { return module; }

protected:
    HINSTANCE module;
};

}  // namespace qapp
}  // namespace kiln
