// libFuzzer target for the portable input code: the bytes become the binding rows and a stream
// of key events, joystick messages and reported events. The matcher's pairing of presses and
// releases, the joystick row rule, the resolution range and the key texts are checked as they go.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "hook/matcher.h"
#include "input/joystick.h"
#include "input/resolve.h"
#include "input/tables.h"

static void Check(bool condition) {
    if (!condition) abort();
}

static void CheckRowTexts(const KeyData *row) {
    char text[KEY_TEXT_SIZE + 1];
    memset(text, 0x7F, sizeof text);
    Check(FormatKeyText(row, text) == text);
    Check(memchr(text, 0, KEY_TEXT_SIZE) != NULL);
    Check(text[KEY_TEXT_SIZE] == 0x7F);
    Check(OperationName(row->operation) != NULL && JoyButtonName(row->joyButton) != NULL &&
          KeyName(row->vkey) != NULL);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    KeyData rows[KEY_DATA_ROWS];
    if (size < sizeof rows) return 0;
    memcpy(rows, data, sizeof rows);
    data += sizeof rows;
    size -= sizeof rows;
    for (const KeyData &row : rows) CheckRowTexts(&row);

    MatcherState state;
    ResetMatcher(&state);
    bool reportedDown[MATCHER_KEYS] = {};
    int32_t pressOperation[MATCHER_KEYS] = {};
    OptionData options;
    memset(&options, 0, sizeof options);

    for (; size >= 4; data += 4, size -= 4) {
        const uint8_t kind = data[0] & 3, a = data[1], b = data[2], c = data[3];
        if (kind == 0) {
            // A key event: a = key, b = modifiers held and the up bit.
            const int up = (b & 0x10) != 0;
            MatchResult r = MatchKeyEvent(&state, rows, KEY_DATA_ROWS, a, up, b & 0x0F);
            if (IsModifierKey(a)) Check(!r.report && !r.swallow);
            if (r.report) Check(r.swallow);
            if (up) {
                Check(r.report == (reportedDown[a] ? 1 : 0));
                if (r.report) Check(r.operation == pressOperation[a]);
                reportedDown[a] = false;
            } else if (r.report) {
                Check(!reportedDown[a]);
                int row = FindKeyRow(rows, KEY_DATA_ROWS, a, b & 0x0F);
                Check(row >= 0 && rows[row].operation == r.operation && rows[row].vkey == a);
                reportedDown[a] = true;
                pressOperation[a] = r.operation;
            }
        } else if (kind == 1) {
            // A joystick message: one of the four, or another number.
            JoyEvent event;
            uint32_t message = 0x3B5 + (a % 5);
            uintptr_t wParam = uintptr_t(b) << 4 | uintptr_t(c) << 12;
            int row = FindJoyBinding(message, wParam, 0, &event, rows);
            Check(event.button >= 0 && event.button <= 4);
            Check(row >= -1 && row < KEY_DATA_ROWS);
            if (row >= 0) {
                Check(event.button != 0 && rows[row].joyButton == event.button);
                for (int lower = 0; lower < row; ++lower)
                    Check(rows[lower].joyButton != event.button);
            }
        } else if (kind == 2) {
            // A reported event under either Play mode.
            options.playMode = a & 1;
            int32_t flags = int32_t(uint32_t(b) << 24 | c);
            int32_t operation = int32_t(int8_t(a)) >> 1;
            int32_t resolved = ResolveOperation(operation, flags, &options);
            Check(resolved >= 1 && resolved <= OP_LAST);
            if (resolved != OP_INVALID) Check(OperationName(resolved)[0] != 'n');
        } else {
            // The program hands the library new rows while keys may be held.
            KeyData *row = &rows[a % KEY_DATA_ROWS];
            SetKeyData(row, b, c & 1, c & 2, c & 4, c & 8, int16_t(c >> 4), int32_t(int8_t(a)));
            CheckRowTexts(row);
        }
    }
    return 0;
}
