// The binding dialogs as windows, in this process, built from the program's own resources: a
// second thread runs them modally while the test thread drives them with messages, as a user's
// clicks would, and reads back the controls and the table.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/settings_dialogs.h"
#include "input/dialog_text.h"
#include "input/tables.h"
#include "res/resource.h"

namespace {

// ---- running a modal dialog on a thread of its own ---------------------------------------

struct DialogSearch {
    HWND owner;
    const char *title;  // null: any title
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND window, LPARAM lParam) {
    DialogSearch *search = (DialogSearch *)lParam;
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    if (search->title && strcmp(title, search->title) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForDialog(DWORD threadId, HWND owner, const char *title = nullptr,
                   DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    for (;;) {
        DialogSearch search = {owner, title, NULL};
        EnumThreadWindows(threadId, FindDialogProc, (LPARAM)&search);
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return NULL;
        Sleep(20);
    }
}

bool WaitUntilGone(HWND window, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

struct AssignmentArgs {
    KeyData *row;
    INT_PTR result;
};

DWORD WINAPI SettingsThread(void *table) {
    ShowOperationSettings(NULL, (KeyData *)table);
    return 0;
}

DWORD WINAPI AssignmentThread(void *p) {
    AssignmentArgs *args = (AssignmentArgs *)p;
    args->result = ShowAssignment(NULL, args->row);
    return 0;
}

class DialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }

    void Run(LPTHREAD_START_ROUTINE routine, void *argument) {
        thread_ = CreateThread(NULL, 0, routine, argument, 0, &threadId_);
        ASSERT_NE(thread_, (HANDLE)NULL);
    }

    // The dialog thread has ended within the timeout.
    bool Ended(DWORD timeoutMs = 5000) {
        return WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0;
    }

    void TearDown() override {
        if (!thread_) return;
        // A failed test may leave dialogs open: cancel them from the innermost out.
        for (int i = 0; i < 20 && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; ++i) {
            DialogSearch search = {NULL, nullptr, NULL};
            HWND top = NULL;
            EnumThreadWindows(threadId_, FindDialogProc, (LPARAM)&search);
            for (top = search.found; top;) {
                DialogSearch inner = {top, nullptr, NULL};
                EnumThreadWindows(threadId_, FindDialogProc, (LPARAM)&inner);
                if (!inner.found) break;
                top = inner.found;
            }
            if (top) PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
            WaitForSingleObject(thread_, 200);
        }
        if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) TerminateThread(thread_, 1);
        CloseHandle(thread_);
        thread_ = NULL;
    }

    HANDLE thread_ = NULL;
    DWORD threadId_ = 0;
};

// ---- reading the controls ------------------------------------------------------------------

std::string ItemText(HWND list, int item, int column) {
    char text[1024] = "";
    LVITEMA lvItem;
    memset(&lvItem, 0, sizeof lvItem);
    lvItem.iSubItem = column;
    lvItem.pszText = text;
    lvItem.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)item, (LPARAM)&lvItem);
    return text;
}

std::vector<std::string> Row(HWND list, int item) {
    return {ItemText(list, item, 0), ItemText(list, item, 1), ItemText(list, item, 2)};
}

std::string ListBoxText(HWND list, int item) {
    char text[512] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, item, 0) >= (LRESULT)sizeof text) return "(too long)";
    SendMessageA(list, LB_GETTEXT, item, (LPARAM)text);
    return text;
}

std::string Title(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A click in the list's client area, as the mouse would give it.
void Click(HWND list, POINT point) {
    LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
}

POINT RowCentre(HWND list, int item) {
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, (WPARAM)item, (LPARAM)&rect);
    POINT p = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return p;
}

int Selected(HWND list) {
    return (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

const char *const kSettingsTitle = "操作設定";

// ---- the settings dialog ---------------------------------------------------------------------

TEST_F(DialogTest, SettingsListShowsTheTableAndChangeFollowsTheSelection) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    KeyData before[KEY_DATA_ROWS];
    memcpy(before, table, sizeof table);
    Run(SettingsThread, table);
    HWND dialog = WaitForDialog(threadId_, NULL, kSettingsTitle);
    ASSERT_NE(dialog, (HWND)NULL);
    HWND list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    HWND change = GetDlgItem(dialog, IDC_CHANGE);

    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), KEY_DATA_ROWS);
    std::vector<std::vector<std::string>> expected = {{"PLAY/PAUSE", "[Ctrl][Space]", "Button 1"},
                                                      {"STOP", "[Ctrl][無変換]", "Button 2"},
                                                      {"REW", "[Ctrl][←]", "Button 3"},
                                                      {"FF", "[Ctrl][→]", "Button 4"},
                                                      {"PITCH_UP", "[Ctrl][↑]", "(なし)"},
                                                      {"PITCH_DOWN", "[Ctrl][↓]", "(なし)"},
                                                      {"TIMESTAMP", "[Ctrl][変換]", "(なし)"},
                                                      {"JUMP", "[Shift][Ctrl][変換]", "(なし)"},
                                                      {"LOOP", "[Shift][Ctrl][Space]", "(なし)"},
                                                      {"GOTO", "(なし)", "(なし)"}};
    for (int i = 1; i <= 8; ++i)
        expected.push_back({"SNIPPET" + std::to_string(i), "(なし)", "(なし)"});
    expected.push_back({"CLARITY", "(なし)", "(なし)"});
    ASSERT_EQ(expected.size(), size_t(KEY_DATA_ROWS));
    for (int i = 0; i < KEY_DATA_ROWS; ++i) EXPECT_EQ(Row(list, i), expected[i]) << "row " << i;
    // Every row shows without scrolling, with room for a click below the last one.
    EXPECT_GT(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0), KEY_DATA_ROWS);

    // Three left-aligned columns with their titles and widths.
    HWND header = (HWND)SendMessageA(list, LVM_GETHEADER, 0, 0);
    ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
    static const char *const titles[] = {"操作", "キーの割当", "ジョイスティックの割当"};
    static const int widths[] = {95, 170, 170};
    for (int i = 0; i < 3; ++i) {
        char text[128] = "";
        LVCOLUMNA column;
        memset(&column, 0, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column));
        EXPECT_STREQ(text, titles[i]);
        EXPECT_EQ(column.cx, widths[i]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    // Change is enabled exactly while a row is selected.
    EXPECT_FALSE(IsWindowEnabled(change));
    EXPECT_EQ(Selected(list), -1);
    Click(list, RowCentre(list, 2));
    EXPECT_EQ(Selected(list), 2);
    EXPECT_TRUE(IsWindowEnabled(change));
    Click(list, RowCentre(list, 4));
    EXPECT_EQ(Selected(list), 4);
    EXPECT_TRUE(IsWindowEnabled(change)) << "moving the selection leaves Change enabled";
    RECT client;
    GetClientRect(list, &client);
    POINT empty = {client.right / 2, client.bottom - 3};
    Click(list, empty);
    EXPECT_EQ(Selected(list), -1);
    EXPECT_FALSE(IsWindowEnabled(change)) << "a click on the empty area clears the selection";
    // The keyboard selects as well.
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(list, WM_KEYUP, VK_HOME, 0);
    EXPECT_EQ(Selected(list), 0);
    EXPECT_TRUE(IsWindowEnabled(change));

    // Close ends the dialog; nothing was changed.
    PressButton(dialog, IDC_CLOSE);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(memcmp(table, before, sizeof table), 0);
}

TEST_F(DialogTest, SelectedRowKeepsItsHighlightWhenChangeTakesTheFocus) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    Run(SettingsThread, table);
    HWND dialog = WaitForDialog(threadId_, NULL, kSettingsTitle);
    ASSERT_NE(dialog, (HWND)NULL);
    HWND list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    HWND change = GetDlgItem(dialog, IDC_CHANGE);
    Click(list, RowCentre(list, 1));
    ASSERT_EQ(Selected(list), 1);
    SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)change, TRUE);
    EXPECT_NE(GetWindowLongPtrA(list, GWLP_WNDPROC), GetClassLongPtrA(list, GCLP_WNDPROC));

    // Draw the list into a bitmap and look at the selected row away from any text: the end of
    // the last column.
    RECT client;
    GetClientRect(list, &client);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(list, WM_PRINTCLIENT, (WPARAM)memory, PRF_CLIENT | PRF_ERASEBKGND);
    RECT rowRect = {};
    rowRect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, 1, (LPARAM)&rowRect);
    COLORREF selectedRow = GetPixel(memory, 95 + 170 + 160, (rowRect.top + rowRect.bottom) / 2);
    SendMessageA(list, LVM_GETITEMRECT, 3, (LPARAM)&rowRect);
    COLORREF otherRow = GetPixel(memory, 95 + 170 + 160, (rowRect.top + rowRect.bottom) / 2);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(selectedRow, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(otherRow, selectedRow);

    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(Ended());
}

TEST_F(DialogTest, ChangeOpensTheAssignmentForTheSelectedRowAndOkRewritesIt) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    table[0].reserved[0] = 0x11;  // carried through unchanged
    Run(SettingsThread, table);
    HWND dialog = WaitForDialog(threadId_, NULL, kSettingsTitle);
    ASSERT_NE(dialog, (HWND)NULL);
    HWND list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    Click(list, RowCentre(list, 0));
    PressButton(dialog, IDC_CHANGE);
    HWND assign = WaitForDialog(threadId_, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "PLAY/PAUSE  (変更前 : [Ctrl][Space]  /  Button 1)");

    // Shift+F5 with button 3.
    HWND keys = GetDlgItem(assign, IDC_KEY_LIST);
    HWND buttons = GetDlgItem(assign, IDC_BUTTON_LIST);
    int f5 = (int)SendMessageA(keys, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "F5");
    ASSERT_GE(f5, 0);
    SendMessageA(keys, LB_SETCURSEL, f5, 0);
    SendMessageA(buttons, LB_SETCURSEL, 3, 0);
    CheckDlgButton(assign, IDC_CTRL, BST_UNCHECKED);
    CheckDlgButton(assign, IDC_SHIFT, BST_CHECKED);
    PressButton(assign, IDOK);
    ASSERT_TRUE(WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"PLAY/PAUSE", "[Shift][F5]", "Button 3"}));
    EXPECT_EQ(table[0].vkey, 0x74);
    EXPECT_EQ(table[0].shift, 1);
    EXPECT_EQ(table[0].ctrl, 0);
    EXPECT_EQ(table[0].joyButton, 3);
    EXPECT_EQ(table[0].operation, 1);
    EXPECT_EQ(table[0].reserved[0], 0x11);

    // Cancel leaves the row and its list item alone.
    Click(list, RowCentre(list, 3));
    KeyData row3 = table[3];
    PressButton(dialog, IDC_CHANGE);
    assign = WaitForDialog(threadId_, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "FF  (変更前 : [Ctrl][→]  /  Button 4)");
    SendMessageA(GetDlgItem(assign, IDC_KEY_LIST), LB_SETCURSEL, 1, 0);
    CheckDlgButton(assign, IDC_ALT, BST_CHECKED);
    PressButton(assign, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(assign));
    EXPECT_EQ(memcmp(&table[3], &row3, sizeof row3), 0);
    EXPECT_EQ(Row(list, 3), (std::vector<std::string>{"FF", "[Ctrl][→]", "Button 4"}));

    // The reopened dialog starts from the stored row, and Close keeps what OK stored.
    Click(list, RowCentre(list, 0));
    PressButton(dialog, IDC_CHANGE);
    assign = WaitForDialog(threadId_, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "PLAY/PAUSE  (変更前 : [Shift][F5]  /  Button 3)");
    PressButton(assign, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(assign));

    // The second name of 0x92 is listed by its first; "(なし)" with Ctrl shows the bare name.
    Click(list, RowCentre(list, 2));
    PressButton(dialog, IDC_CHANGE);
    assign = WaitForDialog(threadId_, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    HWND keyList = GetDlgItem(assign, IDC_KEY_LIST);
    SendMessageA(keyList, LB_SETCURSEL,
                 SendMessageA(keyList, LB_FINDSTRINGEXACT, (WPARAM)-1,
                              (LPARAM) "Fujitsu/OASYS 'Dictionary'"),
                 0);
    PressButton(assign, IDOK);
    ASSERT_TRUE(WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 2),
              (std::vector<std::string>{"REW", "[Ctrl][NEC PC-9800 '='on numpad]", "Button 3"}));
    Click(list, RowCentre(list, 4));
    PressButton(dialog, IDC_CHANGE);
    assign = WaitForDialog(threadId_, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    SendMessageA(GetDlgItem(assign, IDC_KEY_LIST), LB_SETCURSEL, 0, 0);
    PressButton(assign, IDOK);
    ASSERT_TRUE(WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 4), (std::vector<std::string>{"PITCH_UP", "(なし)", "(なし)"}));
    EXPECT_EQ(table[4].vkey, 0);
    EXPECT_EQ(table[4].ctrl, 1);

    PressButton(dialog, IDC_CLOSE);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(table[0].vkey, 0x74);
    EXPECT_EQ(table[2].vkey, 0x92);
}

TEST_F(DialogTest, ChangeWithoutSelectionOpensNothing) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    Run(SettingsThread, table);
    HWND dialog = WaitForDialog(threadId_, NULL, kSettingsTitle);
    ASSERT_NE(dialog, (HWND)NULL);
    // Enter goes to the default button even while it is disabled.
    PressButton(dialog, IDC_CHANGE);
    EXPECT_EQ(WaitForDialog(threadId_, dialog, nullptr, 500), (HWND)NULL);
    // Esc (the close box) ends the dialog too.
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(Ended());
}

// ---- the assignment dialog -----------------------------------------------------------------

int KeyIndexOfName(const char *name) {
    for (int i = 0; i < KeyNameTableCount; ++i)
        if (strcmp(KeyNameTable[i].name, name) == 0) return i;
    return -1;
}

TEST_F(DialogTest, AssignmentOpensOnTheRowAndOkUntouchedKeepsIt) {
    // Keys from every part of the table (the decision itself is checked for every key without
    // windows): the dialog opens on the row's entries and OK stores the row back byte for byte.
    static const char *const names[] = {
        "(なし)", "B",        "C", "S", "T", "Space", "無変換", "F24", "Fujitsu/OASYS 'Dictionary'",
        "\\",     "backslash"};
    int n = 0;
    for (const char *name : names) {
        int i = KeyIndexOfName(name);
        ASSERT_GE(i, 0) << name;
        int16_t f = (int16_t)(n * 5 % 16);
        KeyData row;
        memset(&row, 0, sizeof row);
        SetKeyData(&row, KeyNameTable[i].vkey, f & 1, (f >> 1) & 1, (f >> 2) & 1, (f >> 3) & 1,
                   (int16_t)(n % 5), 1 + 2 * (n % 6));
        row.reserved[1] = (uint8_t)(0x80 + n);
        ++n;
        KeyData before = row;
        AssignmentArgs args = {&row, -1};
        Run(AssignmentThread, &args);
        HWND assign = WaitForDialog(threadId_, NULL);
        ASSERT_NE(assign, (HWND)NULL) << name;
        HWND keys = GetDlgItem(assign, IDC_KEY_LIST);
        HWND buttons = GetDlgItem(assign, IDC_BUTTON_LIST);
        int selected = (int)SendMessageA(keys, LB_GETCURSEL, 0, 0);
        // A code with two names opens on the first of them.
        EXPECT_EQ(ListBoxText(keys, selected), KeyName(row.vkey)) << name;
        EXPECT_EQ(SendMessageA(buttons, LB_GETCURSEL, 0, 0), row.joyButton) << name;
        EXPECT_EQ(IsDlgButtonChecked(assign, IDC_SHIFT), (UINT)(f & 1)) << name;
        EXPECT_EQ(IsDlgButtonChecked(assign, IDC_CTRL), (UINT)((f >> 1) & 1)) << name;
        EXPECT_EQ(IsDlgButtonChecked(assign, IDC_ALT), (UINT)((f >> 2) & 1)) << name;
        EXPECT_EQ(IsDlgButtonChecked(assign, IDC_WIN), (UINT)((f >> 3) & 1)) << name;
        if (n == 1) {
            // The lists hold the tables in table order, unsorted.
            ASSERT_EQ(SendMessageA(keys, LB_GETCOUNT, 0, 0), KeyNameTableCount);
            for (int k = 0; k < KeyNameTableCount; ++k)
                EXPECT_EQ(ListBoxText(keys, k), KeyNameTable[k].name) << k;
            ASSERT_EQ(SendMessageA(buttons, LB_GETCOUNT, 0, 0), JoyButtonTableCount);
            for (int b = 0; b < JoyButtonTableCount; ++b)
                EXPECT_EQ(ListBoxText(buttons, b), JoyButtonTable[b].name) << b;
        }
        PressButton(assign, IDOK);
        ASSERT_TRUE(Ended()) << name;
        EXPECT_EQ(args.result, 1);
        EXPECT_EQ(memcmp(&row, &before, sizeof row), 0) << name;
        CloseHandle(thread_);
        thread_ = NULL;
    }
}

TEST_F(DialogTest, AssignmentChoosesTheSecondNameOfASharedCodeAndNoKeyWithCtrl) {
    KeyData row;
    memset(&row, 0, sizeof row);
    SetKeyData(&row, 0x42, 0, 0, 0, 0, 2, 4);
    AssignmentArgs args = {&row, -1};
    Run(AssignmentThread, &args);
    HWND assign = WaitForDialog(threadId_, NULL);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "STOP  (変更前 : [B]  /  Button 2)");
    HWND keys = GetDlgItem(assign, IDC_KEY_LIST);
    EXPECT_EQ(ListBoxText(keys, (int)SendMessageA(keys, LB_GETCURSEL, 0, 0)), "B");
    int dictionary = (int)SendMessageA(keys, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                       (LPARAM) "Fujitsu/OASYS 'Dictionary'");
    ASSERT_GT(dictionary, 0);
    SendMessageA(keys, LB_SETCURSEL, dictionary, 0);
    PressButton(assign, IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(args.result, 1);
    EXPECT_EQ(row.vkey, 0x92);
    CloseHandle(thread_);
    thread_ = NULL;

    // Reopened, it shows the first name of 0x92; "(なし)" with Ctrl is stored as it is.
    Run(AssignmentThread, &args);
    assign = WaitForDialog(threadId_, NULL);
    ASSERT_NE(assign, (HWND)NULL);
    keys = GetDlgItem(assign, IDC_KEY_LIST);
    EXPECT_EQ(ListBoxText(keys, (int)SendMessageA(keys, LB_GETCURSEL, 0, 0)),
              "NEC PC-9800 '='on numpad");
    SendMessageA(keys, LB_SETCURSEL, 0, 0);
    CheckDlgButton(assign, IDC_CTRL, BST_CHECKED);
    PressButton(assign, IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(row.vkey, 0);
    EXPECT_EQ(row.ctrl, 1);
    EXPECT_EQ(row.operation, 4);
    CloseHandle(thread_);
    thread_ = NULL;

    Run(AssignmentThread, &args);
    assign = WaitForDialog(threadId_, NULL);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "STOP  (変更前 : [Ctrl][(なし)]  /  Button 2)");
    PressButton(assign, IDCANCEL);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(args.result, 0);
}

TEST_F(DialogTest, AssignmentForCodesOutsideTheTablesSelectsNothingAndOkKeepsThem) {
    KeyData row;
    memset(&row, 0, sizeof row);
    SetKeyData(&row, 0x6C, 0, 1, 0, 0, 7, 0);
    AssignmentArgs args = {&row, -1};
    Run(AssignmentThread, &args);
    HWND assign = WaitForDialog(threadId_, NULL);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(Title(assign), "nod difined  (変更前 : [Ctrl][not difined]  /  nod difined)");
    EXPECT_EQ(SendMessageA(GetDlgItem(assign, IDC_KEY_LIST), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(GetDlgItem(assign, IDC_BUTTON_LIST), LB_GETCURSEL, 0, 0), LB_ERR);
    CheckDlgButton(assign, IDC_WIN, BST_CHECKED);
    PressButton(assign, IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(args.result, 1);
    EXPECT_EQ(row.vkey, 0x6C);
    EXPECT_EQ(row.joyButton, 7);
    EXPECT_EQ(row.ctrl, 1);
    EXPECT_EQ(row.win, 1);
}

}  // namespace
