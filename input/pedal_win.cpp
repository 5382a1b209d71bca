// Raw Input glue for foot pedals: registers the pedal collections on the main window, reads
// each WM_INPUT through the RAWINPUT record's fields (its header is larger in a 64-bit
// process), identifies each device once and decodes its buttons with the platform's HID
// parser when hid.dll offers one, else with the family's known report layout. Every button
// event, the winmm joystick's included, goes to the program's sink.
#include "input/pedal_win.h"

// hidsdi.h brings the HID parser's declarations with the types they need.
#include <hidsdi.h>
#include <mmsystem.h>
#include <stddef.h>
#include <string.h>
#include <wtsapi32.h>

static_assert(HID_PARSER_SUCCESS == HIDP_STATUS_SUCCESS, "the parser's success status");

static const DWORD REGISTRATION_FLAGS = RIDEV_INPUTSINK | RIDEV_DEVNOTIFY;
// The usages one report may list; pedals press a handful at most.
enum { USAGE_LIST = 32 };
static const UINT CALL_FAILED = (UINT)-1;

static void Deliver(PedalInput *pedals, const JoyEvent *events, int count) {
    for (int i = 0; i < count; ++i) pedals->sink.event(pedals->sink.context, &events[i]);
}

void RegisterPedalsWith(PedalInput *pedals, const PedalCalls *calls, const PedalSink *sink,
                        HWND window, unsigned joystickId) {
    pedals->calls = *calls;
    pedals->sink = *sink;
    memset(&pedals->set, 0, sizeof pedals->set);
    RAWINPUTDEVICE devices[PEDAL_COLLECTIONS];
    for (int i = 0; i < PEDAL_COLLECTIONS; ++i) {
        devices[i].usUsagePage = PEDAL_COLLECTION_LIST[i].usagePage;
        devices[i].usUsage = PEDAL_COLLECTION_LIST[i].usage;
        devices[i].dwFlags = REGISTRATION_FLAGS;
        devices[i].hwndTarget = window;
    }
    pedals->registered = calls->registerDevices(calls->context, devices, PEDAL_COLLECTIONS) != 0;
    WORD vendor = 0, product = 0;
    pedals->joystickIsPedal = pedals->registered &&
                              calls->joystickIds(calls->context, joystickId, &vendor, &product) &&
                              IsJoystickClassPedal(vendor, product);
}

// The pedal's record, identified on its first report; null for a device that is not a pedal,
// when no slot is free, or when the platform could not tell what it is (it is asked again on the
// next report, since a device may answer only once it is fully set up).
static PedalDevice *IdentifyDevice(PedalInput *pedals, HANDLE handle) {
    PedalDevice *known = FindPedalDevice(&pedals->set, (uintptr_t)handle);
    if (known || IsOtherDevice(&pedals->set, (uintptr_t)handle)) return known;
    const PedalCalls &calls = pedals->calls;
    RID_DEVICE_INFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    UINT size = sizeof info;
    if (calls.deviceInfo(calls.context, handle, RIDI_DEVICEINFO, &info, &size) == CALL_FAILED)
        return nullptr;
    PedalFamily family = PEDAL_NOT_A_PEDAL;
    if (info.dwType == RIM_TYPEHID) {
        PedalIdentity identity = {(uint16_t)info.hid.dwVendorId, (uint16_t)info.hid.dwProductId,
                                  info.hid.usUsagePage, info.hid.usUsage};
        family = ClassifyPedal(&identity);
    }
    PedalDevice *device = AddPedalDevice(&pedals->set, (uintptr_t)handle, family, false);
    if (!device || !calls.usages || !calls.buttonCaps) return device;
    void *preparsed = pedals->preparsed[device - pedals->set.devices];
    size = PEDAL_PREPARSED_BYTES;
    USHORT caps = 0;
    device->parsed = calls.deviceInfo(calls.context, handle, RIDI_PREPARSEDDATA, preparsed,
                                      &size) != CALL_FAILED &&
                     size > 0 &&
                     calls.buttonCaps(calls.context, preparsed, &caps) == HID_PARSER_SUCCESS &&
                     caps > 0;
    return device;
}

// The pressed Button-page usages of one report; false when it carries no pedal state.
static bool ReportUsages(PedalInput *pedals, PedalDevice *device, const BYTE *report, DWORD size,
                         uint32_t *usages) {
    if (!device->parsed) return DecodePedalReport(device->family, report, size, usages);
    const PedalCalls &calls = pedals->calls;
    USHORT list[USAGE_LIST];
    ULONG count = USAGE_LIST;
    void *preparsed = pedals->preparsed[device - pedals->set.devices];
    // The parser takes a writable report; it does not change it.
    char copy[PEDAL_INPUT_BYTES];
    if (size > sizeof copy) return false;
    memcpy(copy, report, size);
    if (calls.usages(calls.context, preparsed, copy, size, list, &count) != HID_PARSER_SUCCESS)
        return false;
    uint32_t pressed = 0;
    for (ULONG i = 0; i < count && i < USAGE_LIST; ++i) {
        if (list[i] >= 1 && list[i] <= 32) pressed |= 1u << (list[i] - 1);
    }
    *usages = pressed;
    return true;
}

void ReadPedalInput(PedalInput *pedals, HRAWINPUT input) {
    union {
        RAWINPUT raw;
        unsigned char bytes[PEDAL_INPUT_BYTES];
    } buffer;
    UINT size = sizeof buffer;
    UINT got = pedals->calls.inputData(pedals->calls.context, input, &buffer, &size);
    const size_t reportsAt = offsetof(RAWINPUT, data.hid.bRawData);
    if (got == CALL_FAILED || got < reportsAt || got > sizeof buffer) return;
    if (buffer.raw.header.dwType != RIM_TYPEHID) return;
    PedalDevice *device = IdentifyDevice(pedals, buffer.raw.header.hDevice);
    if (!device) return;
    const RAWHID &hid = buffer.raw.data.hid;
    if (hid.dwSizeHid == 0) return;
    // Only reports that arrived whole are read, however many the header claims.
    DWORD reports = hid.dwCount;
    DWORD fit = (DWORD)((got - reportsAt) / hid.dwSizeHid);
    if (reports > fit) reports = fit;
    // Every report is read: this buffer is gone after the message, and a lost release would
    // leave its pedal held.
    for (DWORD i = 0; i < reports; ++i) {
        const BYTE *report = hid.bRawData + (size_t)i * hid.dwSizeHid;
        uint32_t usages = 0;
        if (!ReportUsages(pedals, device, report, hid.dwSizeHid, &usages)) continue;
        JoyEvent events[PEDAL_EVENTS_PER_REPORT];
        Deliver(pedals, events, ApplyPedalUsages(device, report[0], usages, events));
    }
}

void PedalDeviceChanged(PedalInput *pedals, WPARAM change, HANDLE device) {
    if (change != GIDC_REMOVAL) return;
    JoyEvent events[PEDAL_EVENTS_PER_REPORT];
    Deliver(pedals, events, RemovePedalDevice(&pedals->set, (uintptr_t)device, events));
}

void PedalJoystickButton(PedalInput *pedals, UINT message, WPARAM wParam) {
    if (pedals->joystickIsPedal) return;
    JoyEvent event;
    DecodeJoyButton(message, wParam, 0, &event);
    if (FollowJoystickEvent(&pedals->set, &event)) Deliver(pedals, &event, 1);
}

void PedalSessionChanged(PedalInput *pedals, WPARAM change) {
    if (change == WTS_SESSION_LOCK || change == WTS_SESSION_UNLOCK ||
        change == WTS_CONSOLE_DISCONNECT || change == WTS_REMOTE_DISCONNECT)
        ReleasePedals(pedals);
}

void ReleasePedals(PedalInput *pedals) {
    JoyEvent events[PEDAL_RELEASE_EVENTS];
    Deliver(pedals, events, ReleaseAllPedals(&pedals->set, events));
}

// The platform's calls.

static BOOL CallRegister(void *, const RAWINPUTDEVICE *devices, UINT count) {
    return RegisterRawInputDevices(devices, count, sizeof *devices);
}

static UINT CallInputData(void *, HRAWINPUT input, void *data, UINT *size) {
    return GetRawInputData(input, RID_INPUT, data, size, sizeof(RAWINPUTHEADER));
}

static UINT CallDeviceInfo(void *, HANDLE device, UINT command, void *data, UINT *size) {
    return GetRawInputDeviceInfoA(device, command, data, size);
}

typedef NTSTATUS(NTAPI *GetUsagesFunction)(HIDP_REPORT_TYPE, USAGE, USHORT, PUSAGE, PULONG,
                                           PHIDP_PREPARSED_DATA, PCHAR, ULONG);
typedef NTSTATUS(NTAPI *GetButtonCapsFunction)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE,
                                               PHIDP_BUTTON_CAPS, PUSHORT, PHIDP_PREPARSED_DATA);
static GetUsagesFunction getUsages;
static GetButtonCapsFunction getButtonCaps;

static LONG CallButtonCaps(void *, void *preparsed, USHORT *capsCount) {
    HIDP_BUTTON_CAPS caps[8];
    USHORT count = 8;
    NTSTATUS status = getButtonCaps(HidP_Input, HID_PAGE_BUTTON, 0, 0, caps, &count,
                                    (PHIDP_PREPARSED_DATA)preparsed);
    *capsCount = count;
    // More capabilities than the list holds still means the device has buttons.
    return status == HIDP_STATUS_BUFFER_TOO_SMALL ? HIDP_STATUS_SUCCESS : status;
}

static LONG CallUsages(void *, void *preparsed, char *report, ULONG size, USHORT *list,
                       ULONG *count) {
    return getUsages(HidP_Input, HID_PAGE_BUTTON, 0, list, count, (PHIDP_PREPARSED_DATA)preparsed,
                     report, size);
}

static BOOL CallJoystickIds(void *, unsigned id, WORD *vendor, WORD *product) {
    JOYCAPSA caps;
    if (joyGetDevCapsA(id, &caps, sizeof caps) != JOYERR_NOERROR) return FALSE;
    *vendor = caps.wMid;
    *product = caps.wPid;
    return TRUE;
}

// Loads the HID parser once; without it every pedal is read by its known layout.
static bool LoadHidParser(void) {
    static bool tried = false;
    if (!tried) {
        tried = true;
        HMODULE hid = LoadLibraryA("hid.dll");
        if (hid) {
            getUsages = (GetUsagesFunction)(void (*)(void))GetProcAddress(hid, "HidP_GetUsages");
            getButtonCaps = (GetButtonCapsFunction)(void (*)(void))GetProcAddress(
                hid, "HidP_GetSpecificButtonCaps");
        }
    }
    return getUsages && getButtonCaps;
}

// The record that a desktop switch lets go of: the event hook's callback is given no context.
static PedalInput *watchedPedals;

static void CALLBACK DesktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (watchedPedals) ReleasePedals(watchedPedals);
}

void RegisterPedals(PedalInput *pedals, const PedalSink *sink, HWND window, unsigned joystickId) {
    bool parser = LoadHidParser();
    PedalCalls calls = {NULL,
                        CallRegister,
                        CallInputData,
                        CallDeviceInfo,
                        parser ? CallButtonCaps : NULL,
                        parser ? CallUsages : NULL,
                        CallJoystickIds};
    RegisterPedalsWith(pedals, &calls, sink, window, joystickId);
    pedals->window = window;
    pedals->sessionWatched =
        WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
    watchedPedals = pedals;
    // Out of context, so that the callback runs on this thread between its messages and may
    // touch the record unguarded.
    pedals->desktopHook = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                          NULL, DesktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT);
}

void UnregisterPedals(PedalInput *pedals) {
    if (pedals->desktopHook) UnhookWinEvent(pedals->desktopHook);
    pedals->desktopHook = NULL;
    if (pedals->sessionWatched) WTSUnRegisterSessionNotification(pedals->window);
    pedals->sessionWatched = false;
    if (watchedPedals == pedals) watchedPedals = NULL;
}
