// One binding row of parlomix_key and the seven-row table: the 20-byte record that the program,
// the settings file and the hook library share byte for byte.
#ifndef PARLOMIX_KEY_DATA_H
#define PARLOMIX_KEY_DATA_H

#include <stddef.h>
#include <stdint.h>

struct KeyData {
    int32_t vkey;   // virtual-key code; 0 = no key
    int16_t shift;  // nonzero: Shift is part of the combination
    int16_t ctrl;
    int16_t alt;
    int16_t win;
    int16_t joyButton;  // 1..4; 0 = no button
    uint8_t reserved[2];
    int32_t operation;
};
static_assert(sizeof(KeyData) == 20, "KeyData is 20 bytes");
static_assert(offsetof(KeyData, vkey) == 0 && offsetof(KeyData, shift) == 4 &&
                  offsetof(KeyData, ctrl) == 6 && offsetof(KeyData, alt) == 8 &&
                  offsetof(KeyData, win) == 10 && offsetof(KeyData, joyButton) == 12 &&
                  offsetof(KeyData, reserved) == 14 && offsetof(KeyData, operation) == 16,
              "KeyData field offsets");

// The table has nineteen rows. Files and hook clients from before the seventh row (TIMESTAMP)
// hold the first six, byte for byte as they are now, files from before the eighth (JUMP) the
// first seven, and files from before the nineteenth (CLARITY) the first eighteen; such a file
// still loads, and gains the later rows from the defaults.
enum { KEY_DATA_ROWS = 19, KEY_DATA_BASE_ROWS = 6, KEY_DATA_STAMP_ROWS = 7 };
static_assert(sizeof(KeyData) * KEY_DATA_ROWS == 380, "parlomix_key is 380 bytes");
static_assert(sizeof(KeyData) * KEY_DATA_STAMP_ROWS == 140,
              "a seven-row parlomix_key is 140 bytes");
static_assert(sizeof(KeyData) * KEY_DATA_BASE_ROWS == 120, "a six-row parlomix_key is 120 bytes");

#endif
