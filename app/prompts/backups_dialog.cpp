#include "app/prompts/backups_dialog.h"

#include <commctrl.h>

#include "resources/command_ids.h"

using kiln::qstd::QString;

BackupsDialog::BackupsDialog(const std::vector<BackupChoice>& backups)
    : QDialog(IDD_BACKUPS), backups(backups) {}

bool BackupsDialog::OnInitDialog() {
    AddAnchor(IDC_BACKUP_LIST, ANCHOR_LEFT_RIGHT | ANCHOR_TOP_BOTTOM);
    AddAnchor(IDOK, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    AddAnchor(IDCANCEL, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    const HWND list = GetDlgItem(handle, IDC_BACKUP_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const wchar_t* headings[] = {L"Date", L"Cards", L"Size"};
    const int widths[] = {150, 70, 80};
    for (int column = 0; column < 3; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        info.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        info.cx = widths[column];
        info.pszText = const_cast<wchar_t*>(headings[column]);
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
    }
    for (size_t row = 0; row < backups.size(); ++row) {
        const QString* cells[] = {&backups[row].date, &backups[row].cards, &backups[row].size};
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<wchar_t*>(cells[0]->c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 3; ++column) {
            item.iSubItem = column;
            item.pszText = const_cast<wchar_t*>(cells[column]->c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    EnableRestore();
    return QDialog::OnInitDialog();
}

bool BackupsDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
    if (id != IDC_BACKUP_LIST) return QDialog::OnNotify(id, header, result);
    if (header->code == LVN_ITEMCHANGED) EnableRestore();
    if (header->code == NM_DBLCLK && ListView_GetSelectedCount(header->hwndFrom) == 1) OnOK();
    return false;
}

void BackupsDialog::EnableRestore() {
    EnableWindow(GetDlgItem(handle, IDOK), ListView_GetSelectedCount(GetDlgItem(handle, IDC_BACKUP_LIST)) == 1);
}

void BackupsDialog::OnOK() {
    const int selected = ListView_GetNextItem(GetDlgItem(handle, IDC_BACKUP_LIST), -1, LVNI_SELECTED);
    if (selected < 0) return;
    chosen = static_cast<size_t>(selected);
    EndDialog(handle, IDOK);
}

void BackupsDialog::OnCancel() {
    EndDialog(handle, IDCANCEL);
}
