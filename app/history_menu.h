// The play history in the File menu: after "終了(&X)" a separator, one item per entry (path and
// hh:mm:ss, ids from IDM_HISTORY_FIRST on), a separator and "履歴削除(&D)" (IDM_HISTORY_DELETE);
// and the commands that change the list from the window.
#ifndef PARLOMIX_HISTORY_MENU_H
#define PARLOMIX_HISTORY_MENU_H

#include <windows.h>

#include "common/file_spec.h"
#include "settings/history.h"
#include "settings/option_data.h"

// The File menu's own items before the history block: "開く(&O)...", a separator, "終了(&X)".
enum { FILE_MENU_FIXED_ITEMS = 3 };

// After every successful open: `file` becomes entry 0 and the menu is rebuilt.
void AddToHistory(HWND window, FileSpec file);

// During the main window's creation: the list from the options record, then the menu when the
// list is not empty. HistoryLoaded() is true from here on.
void LoadHistory(HWND window, const OptionData *options);

// Rebuilds the history block of the File menu; does nothing while the list is empty.
void BuildHistoryMenu(HWND window);

// Deletes every File menu item after the three fixed ones.
void RemoveHistoryMenu(HWND window);

// IDM_HISTORY_DELETE: asks "履歴を削除してよろしいですか？" and only on OK empties the list and its
// menu block. Returns the box's answer.
int32_t OnHistoryDeleteCommand(HWND window);

#endif
