#pragma once

#include <vector>

#include "app/prompts/user_prompts.h"
#include "window/qdialog.h"

// "Backups": the backups of the open file, newest first, with their date,
// number of cards and size; Restore ends it with the one selected.
class BackupsDialog : public kiln::qwin::QDialog {
public:
    explicit BackupsDialog(const std::vector<BackupChoice>& backups);

    bool OnInitDialog() override;
    bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
    void OnOK() override;
    void OnCancel() override;

    size_t GetChosen() const { return chosen; }

private:
    void EnableRestore();

    const std::vector<BackupChoice>& backups;
    size_t chosen = 0;
};
