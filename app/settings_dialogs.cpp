// The binding dialogs over the dialog resources IDD_OPERATION_SETTINGS and IDD_ASSIGNMENT: a list
// view of the KEY_DATA_ROWS rows with a Change button that is enabled exactly while a row is
// selected, and the assignment dialog with the modifier check boxes and the key and button lists.
// Texts and decisions come from dialog_text.h; this file only moves them between the rows and the
// controls.
#include "app/settings_dialogs.h"

#include <commctrl.h>
#include <string.h>

#include "input/dialog_text.h"
#include "input/tables.h"
#include "res/resource.h"

// Each dialog's state lives in a record on its Show... function's stack, handed over as the
// dialog's parameter and kept in DWLP_USER; a nested assignment dialog has its own.
struct OperationSettingsDialog {
    KeyData *table;
    HWND list;
    HWND changeButton;
};

struct AssignmentDialog {
    KeyData *row;
    KeyData work;
    HWND keyList;
    HWND buttonList;
};

// The record a dialog keeps in DWLP_USER; at WM_INITDIALOG it is stored there from lParam.
template <typename Record>
static Record *DialogRecord(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return (Record *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static const struct {
    const char *title;
    int width;
} COLUMNS[] = {{"操作", 95}, {"キーの割当", 170}, {"ジョイスティックの割当", 170}};

static void SetItemText(HWND list, int item, int column, const char *text) {
    LVITEMA lvItem;
    memset(&lvItem, 0, sizeof lvItem);
    lvItem.mask = LVIF_TEXT;
    lvItem.iItem = item;
    lvItem.iSubItem = column;
    lvItem.pszText = (LPSTR)text;
    SendMessageA(list, LVM_SETITEMTEXTA, (WPARAM)item, (LPARAM)&lvItem);
}

static void SetBindingColumns(HWND list, int item, const KeyData *row) {
    char text[KEY_TEXT_SIZE];
    SetItemText(list, item, 1, FormatKeyText(row, text));
    SetItemText(list, item, 2, ButtonColumnText(row));
}

// The list view never learns that it lost the focus, so the selected row keeps its highlight
// while the Change button has the focus.
static LRESULT CALLBACK ListViewSubclassProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KILLFOCUS) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ListViewSubclassProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
}

static void InitOperationSettings(HWND dialog, OperationSettingsDialog *d) {
    d->list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    d->changeButton = GetDlgItem(dialog, IDC_CHANGE);
    EnableWindow(d->changeButton, FALSE);
    KeyData *table = d->table;
    SendMessageA(d->list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SetWindowSubclass(d->list, ListViewSubclassProc, 0, 0);
    for (int i = 0; i < (int)(sizeof COLUMNS / sizeof COLUMNS[0]); ++i) {
        LVCOLUMNA column;
        memset(&column, 0, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = COLUMNS[i].width;
        column.pszText = (LPSTR)COLUMNS[i].title;
        column.iSubItem = i;
        SendMessageA(d->list, LVM_INSERTCOLUMNA, (WPARAM)i, (LPARAM)&column);
    }
    for (int i = 0; i < KEY_DATA_ROWS; ++i) {
        LVITEMA item;
        memset(&item, 0, sizeof item);
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPSTR)OperationColumnText(&table[i]);
        SendMessageA(d->list, LVM_INSERTITEMA, 0, (LPARAM)&item);
        SetBindingColumns(d->list, i, &table[i]);
    }
}

static void OnChange(HWND dialog, OperationSettingsDialog *d) {
    int item = (int)SendMessageA(d->list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    // Enter reaches the default button even when nothing is selected.
    if (item < 0 || item >= KEY_DATA_ROWS) return;
    if (ShowAssignment(dialog, &d->table[item]) == 1)
        SetBindingColumns(d->list, item, &d->table[item]);
}

static INT_PTR OnSettingsNotify(OperationSettingsDialog *d, const NMHDR *header) {
    if (header->code != LVN_ITEMCHANGED) return FALSE;
    const NMLISTVIEW *change = (const NMLISTVIEW *)header;
    if (change->uChanged == LVIF_STATE)
        EnableWindow(d->changeButton, (change->uNewState & LVIS_SELECTED) ? TRUE : FALSE);
    return TRUE;
}

static INT_PTR CALLBACK OperationSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    OperationSettingsDialog *d = DialogRecord<OperationSettingsDialog>(dialog, message, lParam);
    if (d == nullptr) return FALSE;  // before WM_INITDIALOG
    switch (message) {
    case WM_INITDIALOG: InitOperationSettings(dialog, d); return TRUE;
    case WM_NOTIFY: return OnSettingsNotify(d, (const NMHDR *)lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CHANGE: OnChange(dialog, d); return TRUE;
        case IDC_CLOSE:
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

static void InitAssignment(HWND dialog, AssignmentDialog *d) {
    const KeyData *row = d->row;
    memcpy(&d->work, row, sizeof d->work);
    char title[DIALOG_TEXT_SIZE];
    SetWindowTextA(dialog, FormatAssignmentTitle(row, title));
    d->keyList = GetDlgItem(dialog, IDC_KEY_LIST);
    d->buttonList = GetDlgItem(dialog, IDC_BUTTON_LIST);
    for (int i = 0; i < KeyNameTableCount; ++i)
        SendMessageA(d->keyList, LB_ADDSTRING, 0, (LPARAM)KeyNameTable[i].name);
    for (int i = 0; i < JoyButtonTableCount; ++i)
        SendMessageA(d->buttonList, LB_ADDSTRING, 0, (LPARAM)JoyButtonTable[i].name);
    CheckDlgButton(dialog, IDC_ALT, row->alt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CTRL, row->ctrl ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHIFT, row->shift ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_WIN, row->win ? BST_CHECKED : BST_UNCHECKED);
    // A code outside its table selects nothing (index -1 clears the list's selection).
    SendMessageA(d->keyList, LB_SETCURSEL, (WPARAM)KeyListIndex(row->vkey), 0);
    SendMessageA(d->buttonList, LB_SETCURSEL, (WPARAM)ButtonListIndex(row->joyButton), 0);
}

static void StoreAssignment(HWND dialog, AssignmentDialog *d) {
    AssignmentChoice choice;
    choice.alt = IsDlgButtonChecked(dialog, IDC_ALT) == BST_CHECKED;
    choice.ctrl = IsDlgButtonChecked(dialog, IDC_CTRL) == BST_CHECKED;
    choice.shift = IsDlgButtonChecked(dialog, IDC_SHIFT) == BST_CHECKED;
    choice.win = IsDlgButtonChecked(dialog, IDC_WIN) == BST_CHECKED;
    choice.keyIndex = (int)SendMessageA(d->keyList, LB_GETCURSEL, 0, 0);
    choice.buttonIndex = (int)SendMessageA(d->buttonList, LB_GETCURSEL, 0, 0);
    ApplyAssignmentChoice(&choice, &d->work);
    memcpy(d->row, &d->work, sizeof d->work);
}

static INT_PTR CALLBACK AssignmentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    AssignmentDialog *d = DialogRecord<AssignmentDialog>(dialog, message, lParam);
    if (d == nullptr) return FALSE;  // before WM_INITDIALOG
    switch (message) {
    case WM_INITDIALOG: InitAssignment(dialog, d); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StoreAssignment(dialog, d);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowOperationSettings(HWND owner, KeyData *table) {
    OperationSettingsDialog d = {};
    d.table = table;
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_OPERATION_SETTINGS), owner,
                    OperationSettingsDlgProc, (LPARAM)&d);
}

INT_PTR ShowAssignment(HWND owner, KeyData *row) {
    AssignmentDialog d = {};
    d.row = row;
    return DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ASSIGNMENT), owner,
                           AssignmentDlgProc, (LPARAM)&d);
}
