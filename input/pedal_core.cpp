// The pedal decisions: known devices, their report layouts and pedal-to-button mapping, and the
// per-device held-button state that makes one press and one release per pedal, also when
// every held button is let go at once.
#include "input/pedal.h"

#include <string.h>

const PedalCollection PEDAL_COLLECTION_LIST[PEDAL_COLLECTIONS] = {
    {HID_PAGE_CONSUMER, HID_USAGE_PROGRAMMABLE_BUTTONS},
    {HID_PAGE_CONSUMER, HID_USAGE_CONSUMER_CONTROL},
    {HID_PAGE_GENERIC_DESKTOP, HID_USAGE_JOYSTICK},
};

static const uint16_t VEC_VENDOR = 0x05F3, VEC_PRODUCT = 0x00FF;
static const uint16_t OLYMPUS_VENDOR = 0x07B4;
static const uint16_t PHILIPS_VENDOR = 0x0911;
static const uint16_t PHILIPS_PRODUCTS[] = {0x1844, 0x091A};

static bool IsPhilipsPedal(uint16_t vendor, uint16_t product) {
    if (vendor != PHILIPS_VENDOR) return false;
    for (uint16_t known : PHILIPS_PRODUCTS)
        if (product == known) return true;
    return false;
}

PedalFamily ClassifyPedal(const PedalIdentity *id) {
    bool programmable =
        id->usagePage == HID_PAGE_CONSUMER && id->usage == HID_USAGE_PROGRAMMABLE_BUTTONS;
    bool consumer = id->usagePage == HID_PAGE_CONSUMER && id->usage == HID_USAGE_CONSUMER_CONTROL;
    bool joystick = id->usagePage == HID_PAGE_GENERIC_DESKTOP && id->usage == HID_USAGE_JOYSTICK;
    if (id->vendor == VEC_VENDOR && id->product == VEC_PRODUCT && (programmable || consumer))
        return PEDAL_VEC;
    // Olympus makes no keyboards, so any of its consumer-page devices is a pedal.
    if (id->vendor == OLYMPUS_VENDOR && (programmable || consumer)) return PEDAL_OLYMPUS;
    if (IsPhilipsPedal(id->vendor, id->product) && joystick) return PEDAL_PHILIPS;
    return programmable ? PEDAL_PROGRAMMABLE : PEDAL_NOT_A_PEDAL;
}

bool IsJoystickClassPedal(uint16_t vendor, uint16_t product) {
    return IsPhilipsPedal(vendor, product);
}

// Button-page usage n (index n-1) to binding button, so that the defaults make left REW,
// centre PLAY/PAUSE, right FF and a fourth pedal STOP.
static const uint8_t USAGE_BUTTONS[PEDAL_FAMILIES][PEDAL_BUTTONS] = {
    {0, 0, 0, 0},  // not a pedal
    {1, 2, 3, 4},  // programmable buttons: usage n is button n
    {3, 1, 4, 2},  // VEC: left, centre, right
    {4, 1, 3, 2},  // Olympus: right, middle, left, top
    {3, 1, 4, 2},  // Philips: rewind, play, forward, fourth
};

int32_t PedalButtonOfUsage(PedalFamily family, uint32_t usage) {
    if (family >= PEDAL_FAMILIES || usage < 1 || usage > PEDAL_BUTTONS) return 0;
    return USAGE_BUTTONS[family][usage - 1];
}

// Where a family's pedal bitmask sits when no HID parser reads the report for us.
struct ReportLayout {
    bool anyReportId;                  // otherwise only report id 0 carries the pedals
    uint8_t maskByte;                  // index of the bitmask, counting the report-id byte
    uint8_t usageBits[PEDAL_BUTTONS];  // the bit of usages 1 to 4 in that byte
};
static const ReportLayout LAYOUTS[PEDAL_FAMILIES] = {
    {false, 0, {0, 0, 0, 0}},
    {true, 1, {0x01, 0x02, 0x04, 0x08}},
    {false, 1, {0x01, 0x02, 0x04, 0}},
    {true, 3, {0x01, 0x02, 0x04, 0}},
    {false, 1, {0x01, 0x02, 0x04, 0x08}},
};

bool DecodePedalReport(PedalFamily family, const uint8_t *report, size_t size, uint32_t *usages) {
    if (family == PEDAL_NOT_A_PEDAL || family >= PEDAL_FAMILIES) return false;
    const ReportLayout &layout = LAYOUTS[family];
    if (size <= layout.maskByte) return false;
    if (!layout.anyReportId && report[0] != 0) return false;
    uint32_t pressed = 0;
    for (int i = 0; i < PEDAL_BUTTONS; ++i) {
        if (report[layout.maskByte] & layout.usageBits[i]) pressed |= 1u << i;
    }
    *usages = pressed;
    return true;
}

PedalDevice *FindPedalDevice(PedalSet *set, uintptr_t handle) {
    if (handle == 0) return nullptr;
    for (PedalDevice &device : set->devices)
        if (device.handle == handle) return &device;
    return nullptr;
}

bool IsOtherDevice(const PedalSet *set, uintptr_t handle) {
    if (handle == 0) return false;
    for (uintptr_t other : set->others)
        if (other == handle) return true;
    return false;
}

PedalDevice *AddPedalDevice(PedalSet *set, uintptr_t handle, PedalFamily family, bool parsed) {
    if (handle == 0) return nullptr;
    if (family == PEDAL_NOT_A_PEDAL) {
        if (!IsOtherDevice(set, handle)) {
            set->others[set->nextOther] = handle;
            set->nextOther = uint8_t((set->nextOther + 1) % PEDAL_OTHER_DEVICES);
        }
        return nullptr;
    }
    for (PedalDevice &device : set->devices) {
        if (device.handle != 0) continue;
        memset(&device, 0, sizeof device);
        device.handle = handle;
        device.family = family;
        device.parsed = parsed;
        return &device;
    }
    return nullptr;
}

// Events for every button whose bit differs between `before` and `after`.
static int ButtonChanges(uint8_t before, uint8_t after, JoyEvent *events) {
    int count = 0;
    for (int pass = 0; pass < 2; ++pass) {
        bool releases = pass == 0;
        for (int b = 0; b < PEDAL_BUTTONS; ++b) {
            uint8_t bit = uint8_t(1u << b);
            if ((before & bit) == (after & bit) || ((after & bit) != 0) == releases) continue;
            events[count].button = b + 1;
            events[count].flags = releases ? JOY_EVENT_RELEASED : 0u;
            ++count;
        }
    }
    return count;
}

int ApplyPedalUsages(PedalDevice *device, uint8_t reportId, uint32_t usages, JoyEvent *events) {
    if (device->family == PEDAL_NOT_A_PEDAL) return 0;
    int slot = 0;
    while (slot < device->reportCount && device->reportIds[slot] != reportId) ++slot;
    if (slot == device->reportCount) {
        if (slot == PEDAL_REPORT_IDS) return 0;
        device->reportIds[slot] = reportId;
        device->reportButtons[slot] = 0;
        ++device->reportCount;
    }
    uint8_t buttons = 0;
    for (uint32_t usage = 1; usage <= PEDAL_BUTTONS; ++usage) {
        int32_t button = PedalButtonOfUsage(device->family, usage);
        if ((usages & (1u << (usage - 1))) && button > 0) buttons |= uint8_t(1u << (button - 1));
    }
    device->reportButtons[slot] = buttons;
    uint8_t held = 0;
    for (int i = 0; i < device->reportCount; ++i) held |= device->reportButtons[i];
    int count = ButtonChanges(device->held, held, events);
    device->held = held;
    return count;
}

int RemovePedalDevice(PedalSet *set, uintptr_t handle, JoyEvent *events) {
    for (uintptr_t &other : set->others)
        if (handle != 0 && other == handle) other = 0;
    PedalDevice *device = FindPedalDevice(set, handle);
    if (!device) return 0;
    int count = ButtonChanges(device->held, 0, events);
    memset(device, 0, sizeof *device);
    return count;
}

bool FollowJoystickEvent(PedalSet *set, const JoyEvent *event) {
    if (event->button < 1 || event->button > PEDAL_BUTTONS) return false;
    uint8_t bit = uint8_t(1u << (event->button - 1));
    bool released = (event->flags & JOY_EVENT_RELEASED) != 0;
    if (released && !(set->joystickHeld & bit)) return false;
    set->joystickHeld = uint8_t(released ? set->joystickHeld & ~bit : set->joystickHeld | bit);
    return true;
}

int ReleaseAllPedals(PedalSet *set, JoyEvent *events) {
    int count = 0;
    for (PedalDevice &device : set->devices) {
        count += ButtonChanges(device.held, 0, events + count);
        device.held = 0;
        // Forgotten per report id too: a pedal let go meanwhile must not come back with the next
        // report of another id.
        memset(device.reportButtons, 0, sizeof device.reportButtons);
    }
    count += ButtonChanges(set->joystickHeld, 0, events + count);
    set->joystickHeld = 0;
    return count;
}

int FindPedalBinding(const JoyEvent *event, const KeyData *table) {
    if (event->button < 1 || event->button > PEDAL_BUTTONS) return -1;
    uint32_t message =
        (event->flags & JOY_EVENT_RELEASED) ? JOY1_BUTTON_UP_MESSAGE : JOY1_BUTTON_DOWN_MESSAGE;
    uintptr_t changeBit = uintptr_t(0x100) << (event->button - 1);
    JoyEvent decoded;
    return FindJoyBinding(message, changeBit, 0, &decoded, table);
}
