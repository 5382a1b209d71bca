// Matching of key events against the binding rows, with one report per press and per
// release. Kept apart from the hook thread so that it is tested as plain functions.
#include "hook/matcher.h"

#include <string.h>

// Virtual-key codes of the modifier keys.
enum {
    VK_SHIFT_KEY = 0x10,
    VK_CONTROL_KEY = 0x11,
    VK_MENU_KEY = 0x12,
    VK_LWIN_KEY = 0x5B,
    VK_RWIN_KEY = 0x5C,
    VK_LSHIFT_KEY = 0xA0,
    VK_RMENU_KEY = 0xA5
};

void ResetMatcher(MatcherState *state) { memset(state, 0, sizeof *state); }

int IsModifierKey(uint32_t vkey) {
    return (vkey >= VK_SHIFT_KEY && vkey <= VK_MENU_KEY) || vkey == VK_LWIN_KEY ||
           vkey == VK_RWIN_KEY || (vkey >= VK_LSHIFT_KEY && vkey <= VK_RMENU_KEY);
}

unsigned RowModifiers(const KeyData *row) {
    return (row->shift ? unsigned(HELD_SHIFT) : 0u) | (row->ctrl ? unsigned(HELD_CTRL) : 0u) |
           (row->alt ? unsigned(HELD_ALT) : 0u) | (row->win ? unsigned(HELD_WIN) : 0u);
}

int FindKeyRow(const KeyData *rows, int rowCount, uint32_t vkey, unsigned held) {
    if (vkey == 0) return -1;
    for (int i = 0; i < rowCount; ++i) {
        if (rows[i].vkey != 0 && static_cast<uint32_t>(rows[i].vkey) == vkey &&
            RowModifiers(&rows[i]) == held) {
            return i;
        }
    }
    return -1;
}

MatchResult MatchKeyEvent(MatcherState *state, const KeyData *rows, int rowCount, uint32_t vkey,
                          int up, unsigned held) {
    MatchResult result = {0, 0, up ? 1 : 0, 0};
    if (vkey >= MATCHER_KEYS || IsModifierKey(vkey)) return result;
    uint8_t &key = state->key[vkey];
    if (up) {
        if (key == KEY_DOWN_REPORTED) {
            result.report = 1;
            result.swallow = 1;
            result.operation = state->operation[vkey];
        }
        key = KEY_UP;
        return result;
    }
    if (key == KEY_DOWN_REPORTED) {
        result.swallow = 1;
        return result;
    }
    if (key == KEY_DOWN_PASSED) return result;
    int row = FindKeyRow(rows, rowCount, vkey, held);
    if (row < 0) {
        key = KEY_DOWN_PASSED;
        return result;
    }
    key = KEY_DOWN_REPORTED;
    state->operation[vkey] = rows[row].operation;
    result.report = 1;
    result.swallow = 1;
    result.operation = rows[row].operation;
    return result;
}

int ReleaseAllKeys(MatcherState *state, HeldRelease released[MATCHER_KEYS]) {
    int count = 0;
    for (uint32_t vkey = 0; vkey < MATCHER_KEYS; ++vkey) {
        if (state->key[vkey] == KEY_DOWN_REPORTED) {
            released[count].vkey = vkey;
            released[count].operation = state->operation[vkey];
            ++count;
        }
    }
    ResetMatcher(state);
    return count;
}

uint32_t KeyEventFlags(uint32_t scanCode, int extended, int altDown, int up) {
    uint32_t flags = 1u | ((scanCode & 0xFFu) << 16);
    if (extended) flags |= 1u << 24;
    if (altDown) flags |= 1u << 29;
    if (up) flags |= (1u << 30) | (1u << 31);
    return flags;
}
