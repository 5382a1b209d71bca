// The joystick through winmm: probe at start-up, capture of its button messages to the main
// window, release at close. Failures leave the program without joystick input, silently.
#include <windows.h>
#include <mmsystem.h>

#include "input/joystick.h"

static_assert(sizeof(JOYCAPSA) == 404, "joyGetDevCapsA is given a 404-byte record");
static_assert(JOY1_BUTTON_DOWN_MESSAGE == MM_JOY1BUTTONDOWN &&
                  JOY2_BUTTON_DOWN_MESSAGE == MM_JOY2BUTTONDOWN &&
                  JOY1_BUTTON_UP_MESSAGE == MM_JOY1BUTTONUP &&
                  JOY2_BUTTON_UP_MESSAGE == MM_JOY2BUTTONUP,
              "button message numbers");
static_assert(JOY_UNPLUGGED_ERROR == JOYERR_UNPLUGGED, "unplugged error code");

static const UINT CAPTURE_PERIOD = 0;  // messages as the driver delivers them
static const UINT BUTTON_THRESHOLD = 512;

static unsigned joyId = 0;

static unsigned CallDeviceCount(void *) { return joyGetNumDevs(); }

static unsigned CallPosition(void *, unsigned id) {
    JOYINFO info;
    return joyGetPos(id, &info);
}

static unsigned CallSetCapture(void *context, unsigned id) {
    return joySetCapture(static_cast<HWND>(context), id, CAPTURE_PERIOD, TRUE);
}

static unsigned CallDeviceCaps(void *, unsigned id) {
    JOYCAPSA caps;
    return joyGetDevCapsA(id, &caps, sizeof caps);
}

static unsigned CallSetThreshold(void *, unsigned id) {
    return joySetThreshold(id, BUTTON_THRESHOLD);
}

static unsigned CallReleaseCapture(void *, unsigned id) { return joyReleaseCapture(id); }

static JoystickCalls WinmmCalls(HWND window) {
    JoystickCalls calls = {window,         CallDeviceCount,  CallPosition,      CallSetCapture,
                           CallDeviceCaps, CallSetThreshold, CallReleaseCapture};
    return calls;
}

void ProbeJoystick(void) {
    JoystickCalls calls = WinmmCalls(NULL);
    joyId = ChooseJoystick(&calls, joyId);
}

void CaptureJoystick(HWND window) {
    JoystickCalls calls = WinmmCalls(window);
    SetUpJoystickCapture(&calls, joyId);
}

void ReleaseJoystick(void) { joyReleaseCapture(joyId); }

unsigned JoystickId(void) { return joyId; }
