// Test driver additions for the program's own dialogs: finding a dialog by title or owner,
// reading a list view of another process, clicking into a control, pressing buttons and keys,
// and waiting for the result. Every wait has a timeout.
#ifndef PARLOMIX_TEST_DIALOG_DRIVER_H
#define PARLOMIX_TEST_DIALOG_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/driver/driver.h"

namespace driver {

// A visible dialog (class #32770) of process `pid` with exactly this title, or owned by `owner`
// when `title` is null; NULL after `timeoutMs`.
HWND WaitForDialog(DWORD pid, const char *title, HWND owner = NULL, DWORD timeoutMs = 10000);
// The visible top-level windows of `pid`.
std::vector<HWND> VisibleWindows(DWORD pid);
// The first child of `parent` with this exact text, or NULL.
HWND FindChildByText(HWND parent, const std::string &text);

bool WaitUntilGone(HWND window, DWORD timeoutMs = 5000);

// A list view of another process: item count, the text of one cell, the rectangle of one row
// in the list's client coordinates, and the selected item (-1 for none).
int ListViewCount(HWND list);
std::string ListViewText(HWND list, int item, int column);
bool ListViewRowRect(HWND list, int item, RECT *rect);
int ListViewSelected(HWND list);

// A left click at a point of a window's client area, as posted mouse messages.
void Click(HWND window, int x, int y);
// Presses a dialog's button by its command, as the button's click would send it.
void PressButton(HWND dialog, int id);
// A key press and release posted to `window` (the dialog manager and accelerators see it).
void PostKey(HWND window, WORD vkey);

}  // namespace driver

#endif
