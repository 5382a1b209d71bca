// Texts and decisions of the binding dialogs. Japanese parts of the title are CP932 bytes in the
// program (the cross build converts string literals).
#include "input/dialog_text.h"

#include <stdio.h>
#include <string.h>

const char *OperationColumnText(const KeyData *row) {
    return row->operation == 0 ? "" : OperationName(row->operation);
}

const char *ButtonColumnText(const KeyData *row) { return JoyButtonName(row->joyButton); }

char *FormatAssignmentTitle(const KeyData *row, char *text) {
    snprintf(text, DIALOG_TEXT_SIZE, "%s  (変更前 : %s%s%s%s[%s]  /  %s)",
             OperationName(row->operation), row->shift ? "[Shift]" : "", row->ctrl ? "[Ctrl]" : "",
             row->alt ? "[Alt]" : "", row->win ? "[Win]" : "", KeyName(row->vkey),
             JoyButtonName(row->joyButton));
    return text;
}

// The dialog finds its entry by the name the lookup gives, so a code with two names (0x92)
// always opens on the first of them.
int KeyListIndex(int32_t vkey) {
    const char *name = KeyName(vkey);
    for (int i = 0; i < KeyNameTableCount; ++i) {
        if (strcmp(KeyNameTable[i].name, name) == 0) return i;
    }
    return -1;
}

int ButtonListIndex(int16_t button) {
    const char *name = JoyButtonName(button);
    for (int i = 0; i < JoyButtonTableCount; ++i) {
        if (strcmp(JoyButtonTable[i].name, name) == 0) return i;
    }
    return -1;
}

void ApplyAssignmentChoice(const AssignmentChoice *choice, KeyData *row) {
    row->shift = choice->shift ? 1 : 0;
    row->ctrl = choice->ctrl ? 1 : 0;
    row->alt = choice->alt ? 1 : 0;
    row->win = choice->win ? 1 : 0;
    if (choice->keyIndex >= 0 && choice->keyIndex < KeyNameTableCount)
        row->vkey = KeyNameTable[choice->keyIndex].vkey;
    if (choice->buttonIndex >= 0 && choice->buttonIndex < JoyButtonTableCount)
        row->joyButton = JoyButtonTable[choice->buttonIndex].button;
}
