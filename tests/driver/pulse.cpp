// Runs pulse.sh from a Windows test: Wine starts a Unix program but hands back neither its exit
// code nor a handle to wait on, so the script leaves its status in a file that is polled here.
#include "tests/driver/pulse.h"

#include <windows.h>

#include <string>

#include "tests/driver/driver.h"

namespace driver {

static const DWORD SCRIPT_TIMEOUT_MS = 10000;

// The folder for status files and recordings, emptied on first use in each test program.
static std::string UnixWork() {
    static bool made = false;
    if (!made) WorkFolder("pulse");
    made = true;
    return Env("PARLOMIX_WORK") + "/pulse";
}

static bool RunScript(const std::string &verb, const std::string &arguments) {
    static int calls = 0;
    std::string done = UnixWork() + "/done" + std::to_string(++calls);
    std::string command = "Z:\\bin\\sh " + Env("PARLOMIX_SOURCE") + "/tests/driver/pulse.sh " +
                          verb + " " + done + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string status = UnixToWindows(done);
    for (DWORD waited = 0; waited < SCRIPT_TIMEOUT_MS; waited += 20) {
        std::vector<unsigned char> text = ReadBytes(status);
        if (!text.empty()) return text[0] == '0';
        Sleep(20);
    }
    return false;
}

bool PlugSink(const std::string &sink) { return RunScript("plug", sink); }
bool AddSink(const std::string &sink) { return RunScript("add", sink); }
bool UnplugSink(const std::string &sink) { return RunScript("unplug", sink); }

std::string StartRecording(const std::string &sink, const std::string &take) {
    std::string capture = UnixWork() + "/" + sink + "-" + take + ".wav";
    return RunScript("record", sink + " " + capture) ? capture : std::string();
}

bool StopRecording(const std::string &sink) { return RunScript("stop", sink); }

std::vector<HeardStretch> HeardIn(const std::string &capture) {
    return HeardStretches(CaptureSamples(ReadBytes(UnixToWindows(capture))));
}

}  // namespace driver
