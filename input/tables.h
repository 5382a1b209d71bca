// The vocabulary of input assignment: operation numbers, joystick buttons and bindable keys with
// their display names, the default binding rows and the key text shown for a binding.
// Portable: no windows.h, so the tables are tested natively as well as under Wine.
#ifndef PARLOMIX_TABLES_H
#define PARLOMIX_TABLES_H

#include <stdint.h>

#include "input/key_data.h"

// Operation numbers carried by ZT_Command and executed by the playback controller.
enum {
    OP_PLAY_PAUSE = 1,
    OP_PLAY = 2,
    OP_PAUSE = 3,
    OP_STOP = 4,
    OP_REW = 5,
    OP_REW_END = 6,
    OP_FF = 7,
    OP_FF_END = 8,
    OP_PITCH_UP = 9,
    OP_PITCH_UP_END = 10,
    OP_PITCH_DOWN = 11,
    OP_PITCH_DOWN_END = 12,
    OP_SEEK = 13,
    OP_INVALID = 14,
    // Types the heard position into the focused program; playback is not touched.
    OP_TIMESTAMP = 15,
    // Finding the place again: the clipboard's last stamp, a loop A-B, a time typed in a box.
    OP_JUMP = 16,
    OP_LOOP = 17,
    OP_GOTO = 18,
    // Type the eight text snippets, OP_SNIPPET1 + i for snippet i, as TIMESTAMP types.
    OP_SNIPPET1 = 19,
    OP_SNIPPET8 = 26,
    // Sets the clarity stages aside and, pressed again, brings them back.
    OP_CLARITY = 27,
    OP_LAST = OP_CLARITY
};

struct OperationEntry {
    int32_t operation;
    const char *name;
};

struct JoyButtonEntry {
    int16_t button;
    const char *name;
};

struct KeyNameEntry {
    int32_t vkey;
    const char *name;
};

enum { OPERATION_TABLE_ROWS = 27, JOY_BUTTON_TABLE_ROWS = 5, KEY_NAME_TABLE_ROWS = 115 };

extern const OperationEntry OperationTable[OPERATION_TABLE_ROWS];
extern const int32_t OperationTableCount;
extern const JoyButtonEntry JoyButtonTable[JOY_BUTTON_TABLE_ROWS];
extern const int32_t JoyButtonTableCount;
// The key list of the assignment dialog shows these names in this order, unsorted.
extern const KeyNameEntry KeyNameTable[KEY_NAME_TABLE_ROWS];
extern const int32_t KeyNameTableCount;

// Lookups scan in table order and the first match wins; a miss yields a fixed literal (tables.cpp).
const char *OperationName(int32_t operation);
const char *JoyButtonName(int16_t button);
const char *KeyName(int32_t vkey);

// Stores the seven values into `row`; the reserved bytes keep what they held.
void SetKeyData(KeyData *row, int32_t vkey, int16_t shift, int16_t ctrl, int16_t alt, int16_t win,
                int16_t joyButton, int32_t operation);

// Writes the default rows: Ctrl with Space, 無変換, ←, →, ↑, ↓, 変換 for PLAY/PAUSE, STOP,
// REW, FF, PITCH_UP, PITCH_DOWN, TIMESTAMP; Ctrl+Shift with 変換 and Space for JUMP and LOOP;
// GOTO and the snippets unbound; joystick buttons 1 to 4 on the first four rows; reserved bytes
// zero.
void SetDefaultKeyData(KeyData *table);

// Completes a table of which a file gave the first `rowsRead` rows (at least KEY_DATA_BASE_ROWS):
// every row past them takes its default, and so does a row past the base rows that binds another
// operation than its own, which this program never writes. The base rows stay as read.
void CompleteKeyData(KeyData *table, int rowsRead);

enum { KEY_TEXT_SIZE = 1024 };

// The key text of a binding for the settings list: "(なし)" when no key is bound, otherwise the
// held modifiers as [Shift][Ctrl][Alt][Win] followed by the key name in brackets.
// `text` must hold KEY_TEXT_SIZE bytes; returns `text`.
char *FormatKeyText(const KeyData *row, char *text);

#endif
