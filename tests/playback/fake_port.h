// A PlaybackPort over a small model of the audio library and the window, which records every
// call as a short text ("seek 6", "timer 2 180", "kill 1") for the tests to compare.
#ifndef PARLOMIX_TEST_FAKE_PORT_H
#define PARLOMIX_TEST_FAKE_PORT_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "playback/playback_port.h"

struct FakeWorld {
    // The library's model.
    int32_t state = 0;
    int32_t position = 0;
    int32_t length = 100;
    int32_t pitch = 100;
    int32_t openResult = 1;
    // Every seek fails while this is set, as a library that cannot seek would.
    bool refuseSeek = false;
    // Run once while the open-error box is up, as the box's message loop would run a message.
    std::function<void()> duringOpenError;
    // The window's model.
    int32_t thumb = 0;
    std::vector<int32_t> runningTimers;
    std::vector<std::string> calls;
};

// Binds `port` to `world`.
void BindFakePort(PlaybackPort *port, FakeWorld *world);

// The recorded calls, joined with ", ".
std::string Calls(const FakeWorld &world);

#endif
