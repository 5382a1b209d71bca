// libFuzzer target for the playback decisions and the history: the input shapes a stored options
// record (possibly damaged) and goes on with a script of opens, operations, ticks and store/load
// round trips, run against the recording fake. Sanitizers catch overruns; the checks below
// catch broken invariants.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "fake_port.h"
#include "playback/controller.h"
#include "playback/open_sequence.h"
#include "settings/history.h"

static void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

static void CheckHistory(void) {
    Check(playHistoryCount >= 0 && playHistoryCount <= HISTORY_SLOTS);
    for (int32_t i = 0; i < playHistoryCount; ++i) {
        const HistoryEntry *entry = HistoryEntryAt(i);
        Check(memchr(entry->path, 0, FILE_SPEC_TEXT) != nullptr);
        Check(memchr(entry->name, 0, FILE_SPEC_TEXT) != nullptr);
        char text[HISTORY_ITEM_TEXT];
        FormatHistoryItem(entry, text, sizeof text);
        Check(strlen(text) < sizeof text);
        // A damaged file may list a path twice; the list keeps what it was given.
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A stored options record shaped by the first 37 bytes: the raw history count, which entries
    // hold strings that fill their field without a terminator, and the eight positions.
    enum { HEADER = 4 + 1 + 4 * HISTORY_SLOTS };
    if (size < HEADER) {
        return 0;
    }
    OptionData options;
    SetDefaultOptionData(&options);
    memcpy(&options.historyCount, data, 4);
    for (int32_t i = 0; i < HISTORY_SLOTS; ++i) {
        HistoryEntry *entry = &options.history[i];
        if (data[4] & (1u << i)) {
            memset(entry->path, 'a' + i % 3, FILE_SPEC_TEXT);
            memset(entry->name, 'n', FILE_SPEC_TEXT);
        } else {
            memcpy(entry->path, "c:\\f", 4);
            entry->path[4] = (char)('a' + i % 6);
            memcpy(entry->name, entry->path + 3, 2);
        }
        memcpy(&entry->position, data + 5 + 4 * i, 4);
    }
    data += HEADER;
    size -= HEADER;

    ResetHistory();
    HistoryLoadFrom(&options);
    CheckHistory();

    FakeWorld world;
    world.length = 1 + (int32_t)(static_cast<uint32_t>(options.history[0].position) % 20000);
    PlaybackPort port;
    BindFakePort(&port, &world);
    RepeatTimers repeats{};
    PlayState playState{};
    bool fileOpen = false;
    options.pitch = world.pitch;

    for (size_t i = 0; i + 1 < size; i += 2) {
        uint8_t action = data[i];
        uint8_t argument = data[i + 1];
        world.calls.clear();
        switch (action % 7) {
        case 0: {
            FileSpec file;
            memset(&file, 0, sizeof file);
            // Twelve paths, two of them differing only in letter case.
            file.path[0] = (argument & 1) ? 'C' : 'c';
            memcpy(file.path + 1, ":\\f", 3);
            file.path[4] = (char)('a' + argument % 6);
            SetFileSpecNameWith(&file, Cp932LeadBytes());
            world.openResult = (argument & 0x80) ? 0 : 1;
            OpenFileSequence(&port, &repeats, &fileOpen, &playState, &file, &options);
            Check(fileOpen == (world.openResult != 0));
            if (fileOpen && options.resumePosition == 1) {
                Check(playState.state == 2);
                Check(playState.position == HistoryEntryAt(0)->position ||
                      HistoryEntryAt(0)->position > world.length ||
                      HistoryEntryAt(0)->position < 0);
            }
            break;
        }
        case 1: {
            PlayState before = playState;
            int32_t result = RunOperation(&port, &repeats, fileOpen, (int32_t)(argument % 17) - 1,
                                          &playState, &options);
            Check(result == 0 || result == 1 || result == -1);
            if (result == -1) {
                Check(memcmp(&before, &playState, sizeof before) == 0);
            }
            break;
        }
        case 2:
            if (world.state == 1) {
                world.position = std::min(world.length, world.position + argument % 4);
                if (argument & 0x40) {
                    world.state = 0;
                }
            }
            RefreshTick(&port, &playState);
            break;
        case 3:
            world.thumb = (int32_t)(argument % 128);
            SeekBarScrolled(&port, fileOpen, static_cast<SeekBarEvent>(argument % 3), &playState);
            break;
        case 4:
            if (argument % 16 == 0) {
                ClearHistory();
            } else {
                SetHistoryPosition(0, playState.position);
            }
            break;
        case 5:
            StoreHistory(&options);
            HistoryLoadFrom(&options);
            break;
        default:
            // Steps as the value boxes and the settings loader allow them.
            options.revSeconds = argument % 10;
            options.rewSeconds = argument / 10 % 10;
            options.ffSeconds = argument / 3 % 10;
            options.pitchStep = 1 + argument % 50;
            break;
        }
        CheckHistory();
        Check(world.pitch >= VBMP3_PITCH_MIN && world.pitch <= VBMP3_PITCH_MAX);
        for (int32_t t = 0; t < REPEAT_TIMER_COUNT; ++t) {
            bool running = std::find(world.runningTimers.begin(), world.runningTimers.end(),
                                     TIMER_REW_REPEAT + t) != world.runningTimers.end();
            Check(running == repeats.running[t]);
        }
    }
    return 0;
}
