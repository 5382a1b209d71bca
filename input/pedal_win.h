// Foot pedals through Raw Input on the main window: registration of the pedal collections,
// reading WM_INPUT, identifying each device once and unplugging. The platform calls go through
// `PedalCalls` so that the glue is tested with recorded answers; the decisions are in pedal.h.
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

enum { PEDAL_PREPARSED_BYTES = 2048, PEDAL_INPUT_BYTES = 4096 };
// Room for the button events of one WM_INPUT; reports beyond it wait for the next message.
enum { PEDAL_EVENTS = 8 * PEDAL_EVENTS_PER_REPORT };

struct PedalInput {
    PedalCalls calls;
    PedalSet set;
    // The HID parser's description of each device of `set`, by slot.
    unsigned char preparsed[PEDAL_DEVICES][PEDAL_PREPARSED_BYTES];
    bool registered;
    // The captured winmm joystick is a pedal that Raw Input reads: its button messages are
    // not acted upon.
    bool joystickIsPedal;
};

// Registers the collections for `window` (input in the background too, arrival and removal
// notices) and decides whether winmm joystick `joystickId` is left to Raw Input. Failure
// leaves the program without pedal input, silently.
void RegisterPedalsWith(PedalInput *pedals, const PedalCalls *calls, HWND window,
                        unsigned joystickId);
// The same with the platform's own calls and hid.dll loaded at run time.
void RegisterPedals(PedalInput *pedals, HWND window, unsigned joystickId);

// A WM_INPUT: writes the button events of its pedal reports; returns their count.
int ReadPedalInput(PedalInput *pedals, HRAWINPUT input, JoyEvent *events);
// A WM_INPUT_DEVICE_CHANGE: a removed device releases every button it held.
int PedalDeviceChanged(PedalInput *pedals, WPARAM change, HANDLE device, JoyEvent *events);

#endif
