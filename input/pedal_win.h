// Foot pedals through Raw Input on the main window: registration of the pedal collections,
// reading WM_INPUT, identifying each device, unplugging, the winmm joystick's buttons, and
// letting go of every held button when another desktop or session takes the input. The platform
// calls go through `PedalCalls` so that the glue is tested with recorded answers; the decisions
// are in pedal.h.
#ifndef PARLOMIX_PEDAL_WIN_H
#define PARLOMIX_PEDAL_WIN_H

#include <windows.h>

#include "input/pedal.h"

struct PedalCalls {
    void *context;
    BOOL (*registerDevices)(void *context, const RAWINPUTDEVICE *devices, UINT count);
    // GetRawInputData(RID_INPUT) and GetRawInputDeviceInfoA, with their own conventions.
    UINT (*inputData)(void *context, HRAWINPUT input, void *data, UINT *size);
    UINT (*deviceInfo)(void *context, HANDLE device, UINT command, void *data, UINT *size);
    // The HID parser on the Button page of input reports; null when hid.dll is missing.
    // Each returns the parser's status, HID_PARSER_SUCCESS for success.
    LONG (*buttonCaps)(void *context, void *preparsed, USHORT *capsCount);
    LONG(*usages)
    (void *context, void *preparsed, char *report, ULONG size, USHORT *list, ULONG *count);
    // The vendor and product of winmm joystick `id`; FALSE when it has none.
    BOOL (*joystickIds)(void *context, unsigned id, WORD *vendor, WORD *product);
};

// The parser's success status (HIDP_STATUS_SUCCESS), which is not 0.
enum : LONG { HID_PARSER_SUCCESS = 0x00110000 };

// Where the button events go, one at a time and in order.
struct PedalSink {
    void *context;
    void (*event)(void *context, const JoyEvent *event);
};

enum { PEDAL_PREPARSED_BYTES = 2048, PEDAL_INPUT_BYTES = 4096 };

struct PedalInput {
    PedalCalls calls;
    PedalSink sink;
    PedalSet set;
    // The HID parser's description of each device of `set`, by slot.
    unsigned char preparsed[PEDAL_DEVICES][PEDAL_PREPARSED_BYTES];
    bool registered;
    // The captured winmm joystick is a pedal that Raw Input reads: its button messages are
    // not acted upon.
    bool joystickIsPedal;
    // The session and desktop watch of RegisterPedals, for UnregisterPedals.
    HWND window;
    bool sessionWatched;
    HWINEVENTHOOK desktopHook;
};

// Registers the collections for `window` (input in the background too, arrival and removal
// notices) and decides whether winmm joystick `joystickId` is left to Raw Input. Failure
// leaves the program without pedal input, silently.
void RegisterPedalsWith(PedalInput *pedals, const PedalCalls *calls, const PedalSink *sink,
                        HWND window, unsigned joystickId);
// The same with the platform's own calls and hid.dll loaded at run time; also has `window` told
// of session changes (WM_WTSSESSION_CHANGE) and lets go of every button on a desktop switch,
// since no input arrives while another desktop has it.
void RegisterPedals(PedalInput *pedals, const PedalSink *sink, HWND window, unsigned joystickId);
// Ends the session and desktop watch; called before the window is destroyed.
void UnregisterPedals(PedalInput *pedals);

// A WM_INPUT: the button events of all its pedal reports, however many.
void ReadPedalInput(PedalInput *pedals, HRAWINPUT input);
// A WM_INPUT_DEVICE_CHANGE: a removed device releases every button it held.
void PedalDeviceChanged(PedalInput *pedals, WPARAM change, HANDLE device);
// A winmm joystick button message (MM_JOY1BUTTONDOWN and the like), unless the joystick is a
// pedal that Raw Input reads, which would act twice.
void PedalJoystickButton(PedalInput *pedals, UINT message, WPARAM wParam);
// A WM_WTSSESSION_CHANGE: a lock, an unlock or a disconnection lets go of every held button.
void PedalSessionChanged(PedalInput *pedals, WPARAM change);
// Lets go of every held pedal and joystick button, each with its release event.
void ReleasePedals(PedalInput *pedals);

#endif
