// The hook library's decisions, free of Win32: which binding row a key event matches, which
// events are reported to the program and which are swallowed, and the key flags reported.
// The hook thread feeds it every low-level key event with the modifier keys held at the time.
#ifndef PARLOMIX_HOOK_MATCHER_H
#define PARLOMIX_HOOK_MATCHER_H

#include <stdint.h>

#include "input/key_data.h"

// Modifier keys held, either left or right.
enum { HELD_SHIFT = 1, HELD_CTRL = 2, HELD_ALT = 4, HELD_WIN = 8 };

enum { MATCHER_KEYS = 256 };

// What the matcher remembers between events: for each virtual-key code, whether the key is
// down, whether its press was reported, and the operation reported with it. A key whose press
// was passed on stays passed on until it is released, so that a modifier pressed meanwhile
// cannot turn its auto-repeat into a hot key.
enum { KEY_UP = 0, KEY_DOWN_PASSED = 1, KEY_DOWN_REPORTED = 2 };

struct MatcherState {
    uint8_t key[MATCHER_KEYS];
    int32_t operation[MATCHER_KEYS];
};

struct MatchResult {
    int report;   // nonzero: post ZT_Command with `operation`, release when `released`
    int swallow;  // nonzero: the event is not passed on to the focused program
    int released;
    int32_t operation;
};

void ResetMatcher(MatcherState *state);

// True for Shift, Ctrl, Alt and the Windows keys in their generic, left and right codes.
int IsModifierKey(uint32_t vkey);

// The modifier flags of `row` as HELD_* bits (any nonzero flag counts as set).
unsigned RowModifiers(const KeyData *row);

// Index of the first row whose vkey is `vkey` (never 0) and whose modifiers are exactly `held`,
// or -1.
int FindKeyRow(const KeyData *rows, int rowCount, uint32_t vkey, unsigned held);

// One key event: `up` for a release, `held` the HELD_* bits of the modifiers down at the time.
// A press is reported once (auto-repeats are swallowed quietly); its release is reported with
// the same operation whatever modifiers are held by then, and whatever the rows hold by then.
MatchResult MatchKeyEvent(MatcherState *state, const KeyData *rows, int rowCount, uint32_t vkey,
                          int up, unsigned held);

// A key whose press was reported, released by ReleaseAllKeys.
struct HeldRelease {
    uint32_t vkey;
    int32_t operation;
};

// The session was locked or unlocked, or another desktop took the input: keys down now are
// released where the hook never sees it. Writes each key whose press was reported, in key
// order, with the operation of its press, and returns how many; every key is then up, so the
// next press of any key is matched afresh.
int ReleaseAllKeys(MatcherState *state, HeldRelease released[MATCHER_KEYS]);

// Key flags in the layout of a keystroke message's lParam: repeat count 1, scan code in bits
// 16-23, extended key in bit 24, Alt down in bit 29, and on release bits 30 and 31.
uint32_t KeyEventFlags(uint32_t scanCode, int extended, int altDown, int up);

#endif
