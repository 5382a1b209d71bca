// Joystick button messages to binding rows, and the probe and capture rules over the platform
// calls that the Win32 side supplies.
#include "input/joystick.h"

// Change bits of buttons 1 to 4 in a button message's wParam.
static const uintptr_t BUTTON_CHANGE_BITS[4] = {0x100, 0x200, 0x400, 0x800};

void DecodeJoyButton(uint32_t message, uintptr_t wParam, intptr_t lParam, JoyEvent *event) {
    (void)lParam;
    event->button = 0;
    for (int i = 0; i < 4; ++i) {
        if (wParam & BUTTON_CHANGE_BITS[i]) {
            event->button = i + 1;
            break;
        }
    }
    event->flags = (message == JOY1_BUTTON_UP_MESSAGE || message == JOY2_BUTTON_UP_MESSAGE)
                       ? JOY_EVENT_RELEASED
                       : 0u;
}

int FindJoyBinding(uint32_t message, uintptr_t wParam, intptr_t lParam, JoyEvent *event,
                   const KeyData *table) {
    DecodeJoyButton(message, wParam, lParam, event);
    if (event->button == 0) return -1;
    for (int row = 0; row < KEY_DATA_ROWS; ++row) {
        if (table[row].joyButton == static_cast<int16_t>(event->button)) return row;
    }
    return -1;
}

unsigned ChooseJoystick(const JoystickCalls *calls, unsigned current) {
    unsigned count = calls->deviceCount(calls->context);
    if (count == 0) return current;
    // Any answer but "unplugged", errors included, counts as a joystick being there.
    bool first = calls->position(calls->context, 0) != JOY_UNPLUGGED_ERROR;
    bool second = count == 2 && calls->position(calls->context, 1) != JOY_UNPLUGGED_ERROR;
    if (first) return 0;
    if (second) return 1;
    return current;
}

int SetUpJoystickCapture(const JoystickCalls *calls, unsigned id) {
    if (calls->setCapture(calls->context, id) != 0) return 0;
    if (calls->deviceCaps(calls->context, id) != 0 ||
        calls->setThreshold(calls->context, id) != 0) {
        calls->releaseCapture(calls->context, id);
        return 0;
    }
    return 1;
}
