// What the two binding dialogs show and decide, kept apart from the dialogs themselves: the
// columns of the settings list, the assignment dialog's title, which list entries it selects
// and how OK turns the controls' state into a binding row. Portable: no windows.h.
#ifndef PARLOMIX_DIALOG_TEXT_H
#define PARLOMIX_DIALOG_TEXT_H

#include <stdint.h>

#include "input/key_data.h"
#include "input/tables.h"

// Column 0 of the settings list: the row's operation name, or an empty text when the row's
// operation is 0. Never null.
const char *OperationColumnText(const KeyData *row);
// Column 2 of the settings list: the name of the row's joystick button.
const char *ButtonColumnText(const KeyData *row);
// Column 1 is FormatKeyText (tables.h).

enum { DIALOG_TEXT_SIZE = 1024 };

// The assignment dialog's title: operation, then the old combination and button, as in
// "PLAY/PAUSE  (変更前 : [Ctrl][Space]  /  Button 1)". Unlike the list's key text, the
// modifier tags are shown even when no key is bound. `text` holds DIALOG_TEXT_SIZE bytes;
// returns `text`.
char *FormatAssignmentTitle(const KeyData *row, char *text);

// The entries the assignment dialog selects when it opens: the first list row whose name equals
// the name of the bound key (or button), or -1 when the bound code is not in its table.
int KeyListIndex(int32_t vkey);
int ButtonListIndex(int16_t button);

// What the assignment dialog's controls hold when OK is pressed: the four check boxes and the
// selected row of each list (-1 for none).
struct AssignmentChoice {
    bool shift;
    bool ctrl;
    bool alt;
    bool win;
    int keyIndex;
    int buttonIndex;
};

// Stores the choice into `row`: the flags as 1 or 0, the key and button codes of the selected
// table rows. A list without a valid selection keeps the row's old code, so nothing is ever
// read outside the tables. `operation` and the reserved bytes are left as they are.
void ApplyAssignmentChoice(const AssignmentChoice *choice, KeyData *row);

#endif
