// Joystick (foot pedal) buttons: the decoded button message `JoyEvent`, the binding row it
// matches, and the start-up probe, capture and release through winmm. Decoding, matching and
// the probe and capture rules are portable; the winmm calls live in joystick_win.cpp.
#ifndef PARLOMIX_JOYSTICK_H
#define PARLOMIX_JOYSTICK_H

#include <stdint.h>

#include "input/key_data.h"

struct HWND__;

// The decoded button message; one lives for the whole run, overwritten by each message.
struct JoyEvent {
    int32_t button;  // 1..4, or 0 when the message names none of buttons 1 to 4
    uint32_t flags;  // 0 for a button press, JOY_EVENT_RELEASED for a release
};
static_assert(sizeof(JoyEvent) == 8, "JoyEvent is two 32-bit fields");

enum : uint32_t { JOY_EVENT_RELEASED = 0x80000000u };

// The four winmm button messages: first and second joystick, down and up.
enum : uint32_t {
    JOY1_BUTTON_DOWN_MESSAGE = 0x3B5,
    JOY2_BUTTON_DOWN_MESSAGE = 0x3B6,
    JOY1_BUTTON_UP_MESSAGE = 0x3B7,
    JOY2_BUTTON_UP_MESSAGE = 0x3B8
};

// Fills `event` from a button message: the lowest of buttons 1 to 4 whose change bit is set in
// wParam (other changed buttons of the same message are not reported). lParam is not used.
void DecodeJoyButton(uint32_t message, uintptr_t wParam, intptr_t lParam, JoyEvent *event);

// Decodes the message into `event`, then returns the first of the KEY_DATA_ROWS rows of `table`
// whose joyButton is the decoded button, or -1. A decoded button 0 matches no row: it would
// otherwise find a row that simply has no button.
int FindJoyBinding(uint32_t message, uintptr_t wParam, intptr_t lParam, JoyEvent *event,
                   const KeyData *table);

// winmm's answer when a joystick is not connected.
enum : unsigned { JOY_UNPLUGGED_ERROR = 167 };

// The platform calls behind the probe and the capture, so that their rules are tested apart
// from winmm. Each returns the MMRESULT (0 for success) or, for deviceCount, the count.
struct JoystickCalls {
    void *context;
    unsigned (*deviceCount)(void *context);
    unsigned (*position)(void *context, unsigned id);
    unsigned (*setCapture)(void *context, unsigned id);
    unsigned (*deviceCaps)(void *context, unsigned id);
    unsigned (*setThreshold)(void *context, unsigned id);
    unsigned (*releaseCapture)(void *context, unsigned id);
};

// The joystick id to use after probing, `current` when none is present. The second joystick
// is asked about only when the driver supports exactly two.
unsigned ChooseJoystick(const JoystickCalls *calls, unsigned current);

// Capture, capabilities, threshold; a failing step after the capture releases it again.
// Returns 1 when the capture stays in force.
int SetUpJoystickCapture(const JoystickCalls *calls, unsigned id);

// Win32 side (joystick_win.cpp): the program's calls at window creation and close.
void ProbeJoystick(void);
void CaptureJoystick(HWND__ *window);
void ReleaseJoystick(void);
// The joystick id chosen by ProbeJoystick: 0 or 1, 0 until probed.
unsigned JoystickId(void);

#endif
