// USB HID foot pedals read through Raw Input: which devices count as pedals, how their input
// reports decode to pressed pedals, and the per-device state that turns reports into button
// presses and releases on the joystick's buttons 1 to 4, together with the winmm joystick's held
// buttons, so that all of them can be let go at once. Portable; the Win32 side is pedal_win.cpp.
#ifndef PARLOMIX_PEDAL_H
#define PARLOMIX_PEDAL_H

#include <stddef.h>
#include <stdint.h>

#include "input/joystick.h"
#include "input/key_data.h"

// HID top-level collections that pedals present (usage page, usage).
enum : uint16_t {
    HID_PAGE_GENERIC_DESKTOP = 0x01,
    HID_USAGE_JOYSTICK = 0x04,
    HID_PAGE_CONSUMER = 0x0C,
    HID_USAGE_CONSUMER_CONTROL = 0x01,
    HID_USAGE_PROGRAMMABLE_BUTTONS = 0x03,
    HID_PAGE_BUTTON = 0x09
};

// The collections the program listens to, in registration order.
struct PedalCollection {
    uint16_t usagePage;
    uint16_t usage;
};
enum { PEDAL_COLLECTIONS = 3 };
extern const PedalCollection PEDAL_COLLECTION_LIST[PEDAL_COLLECTIONS];

// How a device's reports are read and its pedals named. PEDAL_NOT_A_PEDAL covers ordinary
// keyboards' media keys and game controllers, whose input is left alone.
enum PedalFamily : uint8_t {
    PEDAL_NOT_A_PEDAL,
    PEDAL_PROGRAMMABLE,  // an unknown device of the programmable-buttons collection
    PEDAL_VEC,           // three pedals, one bitmask byte after the report id
    PEDAL_OLYMPUS,       // bitmask in the fourth byte
    PEDAL_PHILIPS,       // joystick-class, bitmask byte after the report id
    PEDAL_FAMILIES
};

struct PedalIdentity {
    uint16_t vendor;
    uint16_t product;
    uint16_t usagePage;
    uint16_t usage;
};

PedalFamily ClassifyPedal(const PedalIdentity *identity);

// True when the winmm joystick with these ids is a pedal that Raw Input reads itself, so that
// its winmm button messages would report every pedal a second time.
bool IsJoystickClassPedal(uint16_t vendor, uint16_t product);

// The binding button (1 to 4) of Button-page usage `usage` on a pedal of `family`, or 0.
int32_t PedalButtonOfUsage(PedalFamily family, uint32_t usage);

// The pressed Button-page usages 1 to 32 (bit n-1 for usage n) read from one report by the
// family's known layout; `report` starts with its report-id byte. Returns false when the
// report does not carry the pedals' state (too short, another report id), leaving `usages`
// untouched.
bool DecodePedalReport(PedalFamily family, const uint8_t *report, size_t size, uint32_t *usages);

enum { PEDAL_DEVICES = 16, PEDAL_OTHER_DEVICES = 16, PEDAL_REPORT_IDS = 4, PEDAL_BUTTONS = 4 };

// One pedal device as Raw Input names it. Buttons are held per report id, since a device
// may report some pedals in one report and the rest in another.
struct PedalDevice {
    uintptr_t handle;  // the Raw Input device handle; 0 for a free slot
    PedalFamily family;
    bool parsed;  // the platform's HID parser reads its reports
    uint8_t reportCount;
    uint8_t reportIds[PEDAL_REPORT_IDS];
    uint8_t reportButtons[PEDAL_REPORT_IDS];  // bit b-1 for button b
    uint8_t held;                             // union of reportButtons
};

struct PedalSet {
    PedalDevice devices[PEDAL_DEVICES];
    // Devices found not to be pedals, so that each is asked about once. They never take a
    // pedal's slot: when the list is full the oldest is forgotten (and asked about again).
    uintptr_t others[PEDAL_OTHER_DEVICES];
    uint8_t nextOther;
    // The winmm joystick's buttons whose press was passed on: bit b-1 for button b.
    uint8_t joystickHeld;
};

// The most button events one report can give: each button once; and letting go of all.
enum {
    PEDAL_EVENTS_PER_REPORT = PEDAL_BUTTONS,
    PEDAL_RELEASE_EVENTS = (PEDAL_DEVICES + 1) * PEDAL_BUTTONS
};

PedalDevice *FindPedalDevice(PedalSet *set, uintptr_t handle);
bool IsOtherDevice(const PedalSet *set, uintptr_t handle);
// Takes a free slot for a newly identified pedal; null when all slots are taken. A device of
// family PEDAL_NOT_A_PEDAL is remembered among the others instead, and null is returned.
PedalDevice *AddPedalDevice(PedalSet *set, uintptr_t handle, PedalFamily family, bool parsed);

// Applies the pressed usages of one report with id `reportId`, writing one event per button
// that went down or up (releases first, then presses, each in button order). Returns the count.
int ApplyPedalUsages(PedalDevice *device, uint8_t reportId, uint32_t usages, JoyEvent *events);

// Forgets the device, pedal or other; a release for each button it held. Returns the count.
int RemovePedalDevice(PedalSet *set, uintptr_t handle, JoyEvent *events);

// Follows a decoded winmm joystick button event; false when it is not to be acted upon: a
// release whose press was not passed on or was already let go by ReleaseAllPedals.
bool FollowJoystickEvent(PedalSet *set, const JoyEvent *event);

// A release for every button held on any pedal device and on the joystick, as if each had
// been let go; a device's later report of a button still down presses it again. Returns the
// count, at most PEDAL_RELEASE_EVENTS.
int ReleaseAllPedals(PedalSet *set, JoyEvent *events);

// The binding row a pedal event finds: the joystick's lookup for the same button and flags.
int FindPedalBinding(const JoyEvent *event, const KeyData *table);

#endif
