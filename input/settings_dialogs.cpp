// The binding dialogs over the dialog resources 103 and 119: a list view of the six rows with a
// Change button that is enabled exactly while a row is selected, and the assignment dialog with
// the modifier check boxes and the key and button lists. Texts and decisions come from
// dialog_text.h; this file only moves them between the rows and the controls.
#include "input/settings_dialogs.h"

#include <commctrl.h>
#include <string.h>

#include "input/dialog_text.h"
#include "input/tables.h"
#include "res/resource.h"

// Both dialogs are modal, so at most one of each is open and their state can live here.
static KeyData *settingsTable;
static HWND settingsList;
static HWND changeButton;
static WNDPROC previousListProc;

static KeyData *assignmentRow;
static KeyData assignmentWork;
static HWND keyList;
static HWND buttonList;

static const struct {
    const char *title;
    int width;
} kColumns[] = {{"操作", 95}, {"キーの割当", 170}, {"ジョイスティックの割当", 170}};

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
                                             LPARAM lParam) {
    if (message == WM_KILLFOCUS) return 0;
    return CallWindowProcA(previousListProc, window, message, wParam, lParam);
}

static void InitOperationSettings(HWND dialog, KeyData *table) {
    settingsList = GetDlgItem(dialog, IDC_OPERATION_LIST);
    changeButton = GetDlgItem(dialog, IDC_CHANGE);
    EnableWindow(changeButton, FALSE);
    settingsTable = table;
    SendMessageA(settingsList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    previousListProc =
        (WNDPROC)SetWindowLongPtrA(settingsList, GWLP_WNDPROC, (LONG_PTR)ListViewSubclassProc);
    for (int i = 0; i < (int)(sizeof kColumns / sizeof kColumns[0]); ++i) {
        LVCOLUMNA column;
        memset(&column, 0, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumns[i].width;
        column.pszText = (LPSTR)kColumns[i].title;
        column.iSubItem = i;
        SendMessageA(settingsList, LVM_INSERTCOLUMNA, (WPARAM)i, (LPARAM)&column);
    }
    for (int i = 0; i < KEY_DATA_ROWS; ++i) {
        LVITEMA item;
        memset(&item, 0, sizeof item);
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (LPSTR)OperationColumnText(&table[i]);
        SendMessageA(settingsList, LVM_INSERTITEMA, 0, (LPARAM)&item);
        SetBindingColumns(settingsList, i, &table[i]);
    }
}

static void OnChange(HWND dialog) {
    int item = (int)SendMessageA(settingsList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    // Enter reaches the default button even when nothing is selected.
    if (item < 0 || item >= KEY_DATA_ROWS) return;
    if (ShowAssignment(dialog, &settingsTable[item]) == 1)
        SetBindingColumns(settingsList, item, &settingsTable[item]);
}

static INT_PTR CALLBACK OperationSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitOperationSettings(dialog, (KeyData *)lParam); return TRUE;
    case WM_NOTIFY: {
        const NMHDR *header = (const NMHDR *)lParam;
        if (header->code != LVN_ITEMCHANGED) return FALSE;
        const NMLISTVIEW *change = (const NMLISTVIEW *)lParam;
        if (change->uChanged == LVIF_STATE)
            EnableWindow(changeButton, (change->uNewState & LVIS_SELECTED) ? TRUE : FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CHANGE: OnChange(dialog); return TRUE;
        case IDC_CLOSE:
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

static void InitAssignment(HWND dialog, KeyData *row) {
    assignmentRow = row;
    memcpy(&assignmentWork, row, sizeof assignmentWork);
    char title[DIALOG_TEXT_SIZE];
    SetWindowTextA(dialog, FormatAssignmentTitle(row, title));
    keyList = GetDlgItem(dialog, IDC_KEY_LIST);
    buttonList = GetDlgItem(dialog, IDC_BUTTON_LIST);
    for (int i = 0; i < KeyNameTableCount; ++i)
        SendMessageA(keyList, LB_ADDSTRING, 0, (LPARAM)KeyNameTable[i].name);
    for (int i = 0; i < JoyButtonTableCount; ++i)
        SendMessageA(buttonList, LB_ADDSTRING, 0, (LPARAM)JoyButtonTable[i].name);
    CheckDlgButton(dialog, IDC_ALT, row->alt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CTRL, row->ctrl ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHIFT, row->shift ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_WIN, row->win ? BST_CHECKED : BST_UNCHECKED);
    // A code outside its table selects nothing (index -1 clears the list's selection).
    SendMessageA(keyList, LB_SETCURSEL, (WPARAM)KeyListIndex(row->vkey), 0);
    SendMessageA(buttonList, LB_SETCURSEL, (WPARAM)ButtonListIndex(row->joyButton), 0);
}

static void StoreAssignment(HWND dialog) {
    AssignmentChoice choice;
    choice.alt = IsDlgButtonChecked(dialog, IDC_ALT) == BST_CHECKED;
    choice.ctrl = IsDlgButtonChecked(dialog, IDC_CTRL) == BST_CHECKED;
    choice.shift = IsDlgButtonChecked(dialog, IDC_SHIFT) == BST_CHECKED;
    choice.win = IsDlgButtonChecked(dialog, IDC_WIN) == BST_CHECKED;
    choice.keyIndex = (int)SendMessageA(keyList, LB_GETCURSEL, 0, 0);
    choice.buttonIndex = (int)SendMessageA(buttonList, LB_GETCURSEL, 0, 0);
    ApplyAssignmentChoice(&choice, &assignmentWork);
    memcpy(assignmentRow, &assignmentWork, sizeof assignmentWork);
}

static INT_PTR CALLBACK AssignmentDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitAssignment(dialog, (KeyData *)lParam); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StoreAssignment(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowOperationSettings(HWND owner, KeyData *table) {
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_OPERATION_SETTINGS), owner,
                    OperationSettingsDlgProc, (LPARAM)table);
}

INT_PTR ShowAssignment(HWND owner, KeyData *row) {
    return DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ASSIGNMENT), owner,
                           AssignmentDlgProc, (LPARAM)row);
}
