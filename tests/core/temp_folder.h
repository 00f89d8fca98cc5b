#pragma once

#include "core/qstring.h"

// A folder of its own under the user's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Exists() const { return !path.IsEmpty(); }
    // The full path of name inside the folder.
    kiln::qstd::QString PathOf(const wchar_t* name) const;

private:
    kiln::qstd::QString path;
};
