// The two modal dialogs that change the bindings: the operation settings dialog (resource 103),
// which lists every row of the binding table, and the assignment dialog (resource 119), which picks
// a new key combination and joystick button for one row. Both edit the rows in place.
#ifndef PARLOMIX_SETTINGS_DIALOGS_H
#define PARLOMIX_SETTINGS_DIALOGS_H

#include <windows.h>

#include "input/key_data.h"

// Runs the operation settings dialog over the KEY_DATA_ROWS rows of `table`, owned by `owner`, and
// returns when it is closed. Every OK of its assignment dialog has already changed `table`; the
// caller hands the table to the hook library afterwards.
void ShowOperationSettings(HWND owner, KeyData *table);

// Runs the assignment dialog for one row, owned by `owner`. Returns 1 when OK stored a new
// binding into `row`, 0 when it was cancelled and `row` is untouched.
INT_PTR ShowAssignment(HWND owner, KeyData *row);

#endif
