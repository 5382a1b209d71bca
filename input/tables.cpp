// The constant operation, button and key tables, their lookups, the default bindings and the key
// text of a binding. Names are CP932 bytes in the program (the sources are UTF-8 and the cross
// build converts string literals).
#include "input/tables.h"

#include <stdio.h>
#include <string.h>

const OperationEntry OperationTable[OPERATION_TABLE_ROWS] = {
    {OP_PLAY_PAUSE, "PLAY/PAUSE"},
    {OP_PLAY, "PLAY"},
    {OP_PAUSE, "PAUSE"},
    {OP_STOP, "STOP"},
    {OP_REW, "REW"},
    {OP_REW_END, "REW_END"},
    {OP_FF, "FF"},
    {OP_FF_END, "FF_END"},
    {OP_PITCH_UP, "PITCH_UP"},
    {OP_PITCH_UP_END, "PITCH_UP_END"},
    {OP_PITCH_DOWN, "PITCH_DOWN"},
    {OP_PITCH_DOWN_END, "PITCH_DOWN_END"},
    {OP_SEEK, "SEEK"},
    {OP_INVALID, "INVALID"},
    {OP_TIMESTAMP, "TIMESTAMP"},
    {OP_JUMP, "JUMP"},
    {OP_LOOP, "LOOP"},
    {OP_GOTO, "GOTO"},
    {OP_SNIPPET1, "SNIPPET1"},
    {OP_SNIPPET1 + 1, "SNIPPET2"},
    {OP_SNIPPET1 + 2, "SNIPPET3"},
    {OP_SNIPPET1 + 3, "SNIPPET4"},
    {OP_SNIPPET1 + 4, "SNIPPET5"},
    {OP_SNIPPET1 + 5, "SNIPPET6"},
    {OP_SNIPPET1 + 6, "SNIPPET7"},
    {OP_SNIPPET8, "SNIPPET8"},
    {OP_CLARITY, "CLARITY"},
};
const int32_t OperationTableCount = OPERATION_TABLE_ROWS;

const JoyButtonEntry JoyButtonTable[JOY_BUTTON_TABLE_ROWS] = {
    {0, "(なし)"}, {1, "Button 1"}, {2, "Button 2"}, {3, "Button 3"}, {4, "Button 4"},
};
const int32_t JoyButtonTableCount = JOY_BUTTON_TABLE_ROWS;

const KeyNameEntry KeyNameTable[KEY_NAME_TABLE_ROWS] = {
    {0x00, "(なし)"},
    {0x08, "Back Space"},
    {0x09, "Tab"},
    {0x0C, "Clear"},
    {0x0D, "Enter"},
    {0x1B, "Esc"},
    {0x1C, "変換"},
    {0x1D, "無変換"},
    {0x20, "Space"},
    {0x21, "PageUp"},
    {0x22, "PageDown"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x25, "←"},
    {0x26, "↑"},
    {0x27, "→"},
    {0x28, "↓"},
    {0x2D, "Insert"},
    {0x2E, "Delete"},
    {0x2F, "Help"},
    {0x30, "0"},
    {0x31, "1"},
    {0x32, "2"},
    {0x33, "3"},
    {0x34, "4"},
    {0x35, "5"},
    {0x36, "6"},
    {0x37, "7"},
    {0x38, "8"},
    {0x39, "9"},
    {0x41, "A"},
    {0x42, "B"},
    {0x43, "C"},
    {0x44, "D"},
    {0x45, "E"},
    {0x46, "F"},
    {0x47, "G"},
    {0x48, "H"},
    {0x49, "I"},
    {0x4A, "J"},
    {0x4B, "K"},
    {0x4C, "L"},
    {0x4D, "M"},
    {0x4E, "N"},
    {0x4F, "O"},
    {0x50, "P"},
    {0x51, "Q"},
    {0x52, "R"},
    {0x53, "S"},
    {0x54, "T"},
    {0x55, "U"},
    {0x56, "V"},
    {0x57, "W"},
    {0x58, "X"},
    {0x59, "Y"},
    {0x5A, "Z"},
    {0x60, "Num 0"},
    {0x61, "Num 1"},
    {0x62, "Num 2"},
    {0x63, "Num 3"},
    {0x64, "Num 4"},
    {0x65, "Num 5"},
    {0x66, "Num 6"},
    {0x67, "Num 7"},
    {0x68, "Num 8"},
    {0x69, "Num 9"},
    {0x6A, "Num *"},
    {0x6B, "Num +"},
    {0x6D, "Num -"},
    {0x6E, "Num ."},
    {0x6F, "Num /"},
    {0x70, "F1"},
    {0x71, "F2"},
    {0x72, "F3"},
    {0x73, "F4"},
    {0x74, "F5"},
    {0x75, "F6"},
    {0x76, "F7"},
    {0x77, "F8"},
    {0x78, "F9"},
    {0x79, "F10"},
    {0x7A, "F11"},
    {0x7B, "F12"},
    {0x7C, "F13"},
    {0x7D, "F14"},
    {0x7E, "F15"},
    {0x7F, "F16"},
    {0x80, "F17"},
    {0x81, "F18"},
    {0x82, "F19"},
    {0x83, "F20"},
    {0x84, "F21"},
    {0x85, "F22"},
    {0x86, "F23"},
    {0x87, "F24"},
    {0x90, "Num Lock"},
    {0x91, "Scroll Lock"},
    // Two keyboards use the same code; lookups always find the first name.
    {0x92, "NEC PC-9800 '='on numpad"},
    {0x92, "Fujitsu/OASYS 'Dictionary'"},
    {0x93, "Fujitsu/OASYS 'Unregister word'"},
    {0x94, "Fujitsu/OASYS 'Register word'"},
    {0x95, "Fujitsu/OASYS 'Left OYAYUBI'"},
    {0x96, "Fujitsu/OASYS 'Right OYAYUBI'"},
    {0xBA, ":"},
    {0xBB, ";"},
    {0xBC, ","},
    {0xBD, "-"},
    {0xBE, "."},
    {0xBF, "/"},
    {0xC0, "@"},
    {0xDB, "["},
    // The single byte 0x5C, which a Japanese keyboard shows as the yen sign.
    {0xDC, "\x5C"},
    {0xDD, "]"},
    {0xDE, "^"},
    {0xE2, "backslash"},
};
const int32_t KeyNameTableCount = KEY_NAME_TABLE_ROWS;

// Misspelt on purpose, and two ways: these are the exact texts users and their notes know from
// the lists and titles, so they are kept byte for byte.
static const char OPERATION_MISS[] = "nod difined";
static const char JOY_BUTTON_MISS[] = "nod difined";
static const char KEY_MISS[] = "not difined";

const char *OperationName(int32_t operation) {
    for (int32_t i = 0; i < OperationTableCount; ++i) {
        if (OperationTable[i].operation == operation) return OperationTable[i].name;
    }
    return OPERATION_MISS;
}

const char *JoyButtonName(int16_t button) {
    for (int32_t i = 0; i < JoyButtonTableCount; ++i) {
        if (JoyButtonTable[i].button == button) return JoyButtonTable[i].name;
    }
    return JOY_BUTTON_MISS;
}

const char *KeyName(int32_t vkey) {
    for (int32_t i = 0; i < KeyNameTableCount; ++i) {
        if (KeyNameTable[i].vkey == vkey) return KeyNameTable[i].name;
    }
    return KEY_MISS;
}

void SetKeyData(KeyData *row, int32_t vkey, int16_t shift, int16_t ctrl, int16_t alt, int16_t win,
                int16_t joyButton, int32_t operation) {
    row->vkey = vkey;
    row->shift = shift;
    row->ctrl = ctrl;
    row->alt = alt;
    row->win = win;
    row->joyButton = joyButton;
    row->operation = operation;
}

static const struct {
    int32_t vkey;
    int16_t shift;
    int16_t ctrl;
    int16_t joyButton;
    int32_t operation;
} DEFAULT_ROWS[KEY_DATA_ROWS] = {
    {0x20, 0, 1, 1, OP_PLAY_PAUSE}, {0x1D, 0, 1, 2, OP_STOP},      {0x25, 0, 1, 3, OP_REW},
    {0x27, 0, 1, 4, OP_FF},         {0x26, 0, 1, 0, OP_PITCH_UP},  {0x28, 0, 1, 0, OP_PITCH_DOWN},
    {0x1C, 0, 1, 0, OP_TIMESTAMP},  {0x1C, 1, 1, 0, OP_JUMP},      {0x20, 1, 1, 0, OP_LOOP},
    {0, 0, 0, 0, OP_GOTO},          {0, 0, 0, 0, OP_SNIPPET1},     {0, 0, 0, 0, OP_SNIPPET1 + 1},
    {0, 0, 0, 0, OP_SNIPPET1 + 2},  {0, 0, 0, 0, OP_SNIPPET1 + 3}, {0, 0, 0, 0, OP_SNIPPET1 + 4},
    {0, 0, 0, 0, OP_SNIPPET1 + 5},  {0, 0, 0, 0, OP_SNIPPET1 + 6}, {0, 0, 0, 0, OP_SNIPPET8},
    {0, 0, 0, 0, OP_CLARITY},
};

static void SetDefaultRow(KeyData *table, int i) {
    memset(&table[i], 0, sizeof table[i]);
    SetKeyData(&table[i], DEFAULT_ROWS[i].vkey, DEFAULT_ROWS[i].shift, DEFAULT_ROWS[i].ctrl, 0, 0,
               DEFAULT_ROWS[i].joyButton, DEFAULT_ROWS[i].operation);
}

void SetDefaultKeyData(KeyData *table) {
    for (int i = 0; i < KEY_DATA_ROWS; ++i) SetDefaultRow(table, i);
}

void CompleteKeyData(KeyData *table, int rowsRead) {
    for (int i = KEY_DATA_BASE_ROWS; i < KEY_DATA_ROWS; ++i) {
        if (i >= rowsRead || table[i].operation != DEFAULT_ROWS[i].operation)
            SetDefaultRow(table, i);
    }
}

char *FormatKeyText(const KeyData *row, char *text) {
    if (row->vkey == 0) {
        snprintf(text, KEY_TEXT_SIZE, "%s", KeyName(0));
        return text;
    }
    snprintf(text, KEY_TEXT_SIZE, "%s%s%s%s[%s]", row->shift ? "[Shift]" : "",
             row->ctrl ? "[Ctrl]" : "", row->alt ? "[Alt]" : "", row->win ? "[Win]" : "",
             KeyName(row->vkey));
    return text;
}
