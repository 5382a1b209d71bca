// Unicode keystrokes through SendInput: each character of the queue goes down and up as itself,
// whatever the keyboard layout or input method, and all of them in one call so that no key of
// the user's can come between them.
#include "app/timestamp_win.h"

#include <string.h>

static const int MODIFIER_KEYS[] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN};

static bool AnyModifierHeld(void) {
    for (int vkey : MODIFIER_KEYS) {
        if (GetAsyncKeyState(vkey) < 0) return true;
    }
    return false;
}

static void TypeText(const char *text, int32_t length) {
    // Snippets hold code-page text: each UTF-16 unit goes as its own keystroke.
    static WCHAR units[TIMESTAMP_QUEUE_SIZE];
    static INPUT inputs[2 * TIMESTAMP_QUEUE_SIZE];
    int unitCount = MultiByteToWideChar(CP_ACP, 0, text, length, units, TIMESTAMP_QUEUE_SIZE);
    memset(inputs, 0, sizeof inputs);
    UINT count = 0;
    for (int32_t i = 0; i < unitCount && count + 2 <= sizeof inputs / sizeof inputs[0]; ++i) {
        WORD unit = units[i];
        for (int up = 0; up < 2; ++up) {
            inputs[count].type = INPUT_KEYBOARD;
            inputs[count].ki.wScan = unit;
            inputs[count].ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            ++count;
        }
    }
    SendInput(count, inputs, sizeof(INPUT));
}

void OnTimestampTimer(HWND window, TimestampQueue *queue) {
    TimestampStep step = NextTimestampStep(queue, AnyModifierHeld(), GetTickCount());
    if (step == TIMESTAMP_WAIT) return;
    KillTimer(window, TIMER_TIMESTAMP);
    if (step == TIMESTAMP_TYPE) TypeText(queue->text, queue->length);
    ClearTimestamps(queue);
}
