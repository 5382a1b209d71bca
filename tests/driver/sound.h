// Sound for end-to-end tests: a WAV whose every second is its own tone, and the reading of the
// sink's capture file back into the seconds of that file that were really played.
#ifndef PARLOMIX_TEST_SOUND_H
#define PARLOMIX_TEST_SOUND_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace driver {

// A plain PCM WAV file holding `bytes` bytes of samples.
bool WritePcmWav(const std::string &path, uint32_t rate, uint16_t channels, uint16_t bits,
                 const void *samples, size_t bytes);

// A 16 kHz mono 16-bit WAV of `seconds` seconds; second k is a sine of 300 + 100·k Hz.
bool WriteToneFile(const std::string &path, int seconds);

struct SecondRun {
    int second;   // which second of the tone file
    int windows;  // how many 50 ms windows in a row showed it
};

// The captured sound (PARLOMIX_CAPTURE) as runs of tone-file seconds, in the order heard.
// Silence, unclear windows and the short mixtures across a jump are left out. An unreadable
// capture is a test failure.
std::vector<SecondRun> CapturedSeconds();
// The seconds alone, in order.
std::vector<int> CapturedSecondList();
// "3x20 4x20 1x19 ..." for failure messages.
std::string Describe(const std::vector<SecondRun> &runs);

}  // namespace driver

#endif
