// Sound devices that come and go, for tests run inside `pulse.sh session` (the PULSE option of
// parlomix_add_test): null sinks of the test's own PulseAudio server are plugged and unplugged,
// and what a sink plays is recorded from its monitor. Each call returns once the change is made.
#ifndef PARLOMIX_TEST_PULSE_H
#define PARLOMIX_TEST_PULSE_H

#include <string>
#include <vector>

#include "tests/driver/chirp.h"

namespace driver {

// A null sink paced by the server's clock, made the default device.
bool PlugSink(const std::string &sink);
// The same, leaving the default alone (the server picks it when the default goes away).
bool AddSink(const std::string &sink);
// Ends the sink's streams, as a vanished device does on Windows (the server itself would move
// them to another sink), then the sink and its recording.
bool UnplugSink(const std::string &sink);
// Records `sink` into the test's work folder as `sink`-`take`.wav (mono 16-bit, 44.1 kHz);
// returns its Unix path, or "" when the recorder did not start listening.
std::string StartRecording(const std::string &sink, const std::string &take);
// Ends the sink's recording so that its header is whole.
bool StopRecording(const std::string &sink);
// A recording of the chirp read back as what was heard.
std::vector<HeardStretch> HeardIn(const std::string &capture);

}  // namespace driver

#endif
