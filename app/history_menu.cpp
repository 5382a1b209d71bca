// The history's File menu block and the window-side steps of adding, loading and deleting.
#include "app/history_menu.h"

#include "settings/history_names.h"
#include "settings/ini_file.h"

static const char DELETE_ITEM_TEXT[] = "履歴削除(&D)";
static const char DELETE_QUESTION[] = "履歴を削除してよろしいですか？";
static const char DELETE_CAPTION[] = "確認";

static HMENU FileMenu(HWND window) {
    HMENU menu = GetMenu(window);
    return menu != NULL ? GetSubMenu(menu, 0) : NULL;
}

static void InsertSeparator(HMENU menu, UINT position) {
    MENUITEMINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.fType = MFT_SEPARATOR;
    InsertMenuItemA(menu, position, TRUE, &info);
}

// A file's item shows its real path; the menu keeps every character of it.
static void InsertFileItem(HMENU menu, UINT position, UINT id, const wchar_t *text) {
    MENUITEMINFOW info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING;
    info.wID = id;
    info.dwTypeData = const_cast<wchar_t *>(text);
    InsertMenuItemW(menu, position, TRUE, &info);
}

void RemoveHistoryMenu(HWND window) {
    HMENU menu = FileMenu(window);
    if (menu == NULL) {
        return;
    }
    for (int position = GetMenuItemCount(menu) - 1; position >= FILE_MENU_FIXED_ITEMS; --position) {
        DeleteMenu(menu, position, MF_BYPOSITION);
    }
}

void BuildHistoryMenu(HWND window) {
    if (playHistoryCount <= 0) {
        return;
    }
    RemoveHistoryMenu(window);
    HMENU menu = FileMenu(window);
    if (menu == NULL) {
        return;
    }
    InsertSeparator(menu, FILE_MENU_FIXED_ITEMS);
    // Each item goes in right below the separator, so the last inserted (entry 0) ends on top.
    for (int32_t k = playHistoryCount - 1; k >= 0; --k) {
        FileSpec file;
        GetHistoryFile(k, &file);
        CompleteWidePath(&file);
        wchar_t text[HISTORY_ITEM_TEXT];
        FormatHistoryItemWide(file.widePath, HistoryEntryAt(k)->position, text, HISTORY_ITEM_TEXT);
        InsertFileItem(menu, FILE_MENU_FIXED_ITEMS + 1, IDM_HISTORY_FIRST + k, text);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(menu, MF_STRING, IDM_HISTORY_DELETE, DELETE_ITEM_TEXT);
}

void AddToHistory(HWND window, FileSpec file) {
    HistoryAddFile(&file);
    BuildHistoryMenu(window);
}

void LoadHistory(HWND window, const OptionData *options) {
    if (HistoryLoadFrom(options) > 0) {
        const wchar_t *iniPath = IniPath();
        LoadHistoryNames(iniPath ? iniPath : L"");
        BuildHistoryMenu(window);
    }
}

int32_t OnHistoryDeleteCommand(HWND window) {
    int answer =
        MessageBoxA(window, DELETE_QUESTION, DELETE_CAPTION, MB_OKCANCEL | MB_ICONQUESTION);
    if (answer == IDOK) {
        ClearHistory();
        RemoveHistoryMenu(window);
    }
    return answer;
}
