// libFuzzer target for the pedal decisions: the bytes become device identities and a stream of
// reports, usage sets and unplugging on a few devices. Every button event must be a change
// (a press of a button not held, a release of one held), and unplugging must release all.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "input/pedal.h"

static void Check(bool condition) {
    if (!condition) abort();
}

enum { DEVICES = 3 };

// Checks the events against what the device was seen to hold, and follows them.
static void Follow(uint8_t *held, const JoyEvent *events, int count) {
    Check(count >= 0 && count <= PEDAL_EVENTS_PER_REPORT);
    for (int i = 0; i < count; ++i) {
        Check(events[i].button >= 1 && events[i].button <= PEDAL_BUTTONS);
        uint8_t bit = uint8_t(1u << (events[i].button - 1));
        bool released = events[i].flags == JOY_EVENT_RELEASED;
        Check(released || events[i].flags == 0);
        Check(((*held & bit) != 0) == released);
        *held ^= bit;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    PedalSet set;
    memset(&set, 0, sizeof set);
    uint8_t held[DEVICES] = {};
    while (size >= 2) {
        uint8_t kind = data[0] & 3, deviceIndex = (data[0] >> 2) % DEVICES;
        size_t length = data[1] % 16;
        data += 2;
        size -= 2;
        if (length > size) length = size;
        uintptr_t handle = 0x10 + deviceIndex;
        PedalDevice *device = FindPedalDevice(&set, handle);
        JoyEvent events[PEDAL_EVENTS_PER_REPORT];
        if (kind == 0 && !device && length >= 8) {
            PedalIdentity identity;
            memcpy(&identity, data, sizeof identity);
            PedalFamily family = ClassifyPedal(&identity);
            Check(family < PEDAL_FAMILIES);
            device = AddPedalDevice(&set, handle, family, data[0] & 1);
            Check(family == PEDAL_NOT_A_PEDAL ? !device && IsOtherDevice(&set, handle)
                                              : device && FindPedalDevice(&set, handle) == device);
        } else if (kind == 1 && device) {
            // A report read by the family's layout, exactly `length` bytes long.
            uint8_t *report = static_cast<uint8_t *>(malloc(length ? length : 1));
            memcpy(report, data, length);
            uint32_t usages = 0;
            if (DecodePedalReport(device->family, report, length, &usages)) {
                Check(length > 0 && device->family != PEDAL_NOT_A_PEDAL && usages < 0x10);
                int count = ApplyPedalUsages(device, report[0], usages, events);
                Follow(&held[deviceIndex], events, count);
            }
            free(report);
        } else if (kind == 2 && device && length >= 5) {
            // Usages as the platform's parser lists them, any of 32.
            uint32_t usages;
            memcpy(&usages, data + 1, sizeof usages);
            Follow(&held[deviceIndex], events, ApplyPedalUsages(device, data[0], usages, events));
        } else if (kind == 3) {
            Follow(&held[deviceIndex], events, RemovePedalDevice(&set, handle, events));
            Check(held[deviceIndex] == 0 && !FindPedalDevice(&set, handle));
        }
        if (device && FindPedalDevice(&set, handle)) Check(device->held == held[deviceIndex]);
        data += length;
        size -= length;
    }
    return 0;
}
