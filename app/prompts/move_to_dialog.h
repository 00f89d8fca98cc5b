#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/prompts/user_prompts.h"
#include "window/qdialog.h"

// "Move to": a tree of the cards under an entry for the top level, read a
// branch at a time as the user opens it; OK ends it with the one selected.
class MoveToDialog : public kiln::qwin::QDialog {
public:
    MoveToDialog(const kiln::qstd::QString& cardTitle, const MoveTargetLevel& readLevel);

    bool OnInitDialog() override;
    bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
    void OnOK() override;
    void OnCancel() override;

    int64_t GetChosen() const { return chosen; }

private:
    HTREEITEM AddEntry(HTREEITEM parent, int64_t id, const wchar_t* title, bool hasChildren);
    void AddLevel(HTREEITEM item);

    const kiln::qstd::QString& cardTitle;
    const MoveTargetLevel& readLevel;
    // The card of each entry, by the index its item carries: the tree's items
    // hold a pointer-sized value, and an id may not fit it in a 32-bit program.
    std::vector<int64_t> entryIds;
    int64_t chosen = 0;
};
