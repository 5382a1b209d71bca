// The library on sound devices that come and go: null sinks of the test's own PulseAudio server,
// paced by its clock, are plugged and unplugged while a chirp plays, and what each sink played is
// recorded and read back as the source times the listener heard.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "audio/vbmp3.h"
#include "tests/driver/driver.h"
#include "tests/driver/pulse.h"
#include "tests/driver/sound.h"

namespace {

const int SECONDS = 12;
const double DEVICE_CHANGE = 0.1;  // source time a device change may skip or repeat
// ... and a pause then restart. The aim is 30 ms, measured by bench/devices_bench.cpp on a quiet
// machine; while other tests load both cores the device now and then runs dry, and the silence
// it inserts is heard late by its length. A lead taken from one sink for all (100 ms here) or
// none at all misses by far more.
const double PAUSE_ACCURACY = 0.06;
const DWORD NOTICE_MS = 500;  // a lost device is noticed within this
const DWORD PROMPT_MS = 500;  // no call waits longer, whatever the device does
const int ANY = -1;
const int32_t HELD = -1;  // the position a lost device left

// No library call may block: one that has not returned after WATCHDOG_MS ends the test program
// with its name, rather than leaving the run to its timeout with nothing said.
const DWORD WATCHDOG_MS = 5000;
const char *volatile callName = nullptr;
volatile DWORD callStart;
DWORD WINAPI Watchdog(void *) {
    for (;;) {
        Sleep(100);
        const char *name = callName;
        if (name && GetTickCount() - callStart > WATCHDOG_MS) {
            printf("%s has not returned after %lu ms\n", name, (unsigned long)WATCHDOG_MS);
            fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}
struct Watched {
    explicit Watched(const char *name) { callStart = GetTickCount(), callName = name; }
    ~Watched() { callName = nullptr; }
};

int32_t State(int32_t *position) {
    Watched watched("vbmp3_getState");
    *position = -1;
    return vbmp3_getState(position);
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(10))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

// Waits until the state leaves `state`; returns how long that took, or INFINITE.
DWORD WaitWhile(int32_t state, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    int32_t position;
    return WaitUntil([&] { return State(&position) != state; }, timeoutMs) ? GetTickCount() - start
                                                                           : INFINITE;
}

// A driver that gives nothing back: vbmp3.dll's waveOut imports are pointed at stand-ins that
// refuse to reset or unprepare, and whose closes return only when the test ends. Nothing it
// holds is ever given back, so a buffer prepared twice has been prepared on a second device
// while the first still held it.
std::mutex bookLock;
std::set<const WAVEHDR *> prepared;
volatile LONG sharedBuffers, opens, hungCloses, failPosition;
HANDLE endHangs = CreateEventA(NULL, TRUE, FALSE, NULL);

MMRESULT WINAPI CountedOpen(LPHWAVEOUT wave, UINT id, LPCWAVEFORMATEX f, DWORD_PTR cb, DWORD_PTR i,
                            DWORD fl) {
    InterlockedIncrement(&opens);
    return waveOutOpen(wave, id, f, cb, i, fl);
}
MMRESULT WINAPI RefusedReset(HWAVEOUT) { return MMSYSERR_ERROR; }
MMRESULT WINAPI RefusedUnprepare(HWAVEOUT, LPWAVEHDR, UINT) { return WAVERR_STILLPLAYING; }
MMRESULT WINAPI NotedPrepare(HWAVEOUT wave, LPWAVEHDR h, UINT size) {
    std::lock_guard<std::mutex> held(bookLock);
    if (!prepared.insert(h).second) InterlockedIncrement(&sharedBuffers);
    return waveOutPrepareHeader(wave, h, size);
}
MMRESULT WINAPI HungClose(HWAVEOUT wave) {
    InterlockedIncrement(&hungCloses);
    WaitForSingleObject(endHangs, INFINITE);
    return waveOutClose(wave);
}
MMRESULT WINAPI LostPosition(HWAVEOUT wave, LPMMTIME t, UINT size) {
    return InterlockedExchange(&failPosition, 0) ? MMSYSERR_NODRIVER
                                                 : waveOutGetPosition(wave, t, size);
}

// Points vbmp3.dll's imports of `real` at `standIn`.
template <class F>
bool StandIn(F real, F standIn) {
    BYTE *base = (BYTE *)GetModuleHandleA("vbmp3.dll");
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports); d->Name; ++d)
        for (F *slot = (F *)(base + d->FirstThunk); *slot; ++slot) {
            DWORD was;
            if (*slot != real || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was))
                continue;
            *slot = standIn;
            return VirtualProtect(slot, sizeof *slot, was, &was);
        }
    return false;
}

// A call made while no device is there, and the state and position it leaves.
struct Call {
    const char *name;
    std::function<int32_t()> call;
    int returns;  // or ANY
    int32_t state, position;
};

void CheckCallsWithoutDevice(const std::vector<Call> &calls, int32_t held) {
    for (const Call &row : calls) {
        DWORD start = GetTickCount();
        int32_t returned = (Watched(row.name), row.call());
        EXPECT_LE(GetTickCount() - start, PROMPT_MS) << row.name;
        if (row.returns != ANY) {
            EXPECT_EQ(row.returns, returned) << row.name;
        }
        int32_t position;
        EXPECT_EQ(row.state, State(&position)) << row.name;
        EXPECT_EQ(row.position == HELD ? held : row.position, position) << row.name;
    }
}

// Every test plugs devices of its own names: Wine does not open a device again once one of the
// same name has gone away in the process.
class Devices : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<int16_t> chirp = driver::ChirpSamples(SECONDS);
        path_ = driver::WorkFolder("devices") + "\\chirp.wav";
        ASSERT_TRUE(
            driver::WritePcmWav(path_, driver::CHIRP_RATE, 1, 16, chirp.data(), chirp.size() * 2));
        static HANDLE watchdog = CreateThread(NULL, 0, Watchdog, NULL, 0, NULL);
        ASSERT_NE((HANDLE)NULL, watchdog);
        ASSERT_EQ(1, vbmp3_init());
    }
    void TearDown() override {
        Watched watched("vbmp3_free");
        vbmp3_free();
        for (const std::string &sink : plugged_) driver::UnplugSink(sink);
    }
    // Plugs `sink` (as the default, or beside it) and records it.
    std::string PlugAndRecord(const std::string &sink, bool makeDefault = true) {
        plugged_.push_back(sink);
        EXPECT_TRUE(makeDefault ? driver::PlugSink(sink) : driver::AddSink(sink));
        std::string capture = driver::StartRecording(
            sink, ::testing::UnitTest::GetInstance()->current_test_info()->name());
        EXPECT_FALSE(capture.empty()) << sink;
        return capture;
    }
    void Unplug(const std::string &sink) {
        ASSERT_TRUE(driver::UnplugSink(sink));
        plugged_.erase(std::find(plugged_.begin(), plugged_.end(), sink));
    }
    bool Open() {
        Vbmp3FileInfo info;
        return vbmp3_open(path_.c_str(), &info) != 0 && info.length == SECONDS;
    }
    std::string path_;
    std::vector<std::string> plugged_;
};

TEST_F(Devices, AnotherDeviceTakesOverFromTheHeardPlace) {
    std::string first = PlugAndRecord("a1");
    ASSERT_TRUE(Open());
    ASSERT_EQ(1, vbmp3_play());
    Sleep(2500);
    std::string second = PlugAndRecord("a2", false);
    Unplug("a1");  // the server makes a2 the default
    Sleep(1500);
    int32_t position;
    EXPECT_EQ(VBMP3_PLAYING, State(&position));
    vbmp3_pause();
    EXPECT_EQ(VBMP3_PAUSED, State(&position));
    driver::StopRecording("a2");
    std::vector<driver::HeardStretch> before = driver::HeardIn(first),
                                      after = driver::HeardIn(second);
    SCOPED_TRACE("a1: " + driver::Describe(before) + "; a2: " + driver::Describe(after));
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(after.empty());
    printf("device change: source %+.1f ms at %.3f s\n",
           (after.front().from - before.back().to) * 1000, before.back().to);
    EXPECT_GT(before.back().to, 2.0);
    EXPECT_NEAR(before.back().to, after.front().from, DEVICE_CHANGE);
    EXPECT_GT(after.front().to - after.front().from, 1.0);  // and goes on there
    EXPECT_TRUE(driver::IsHeardSecond(position, after.back().to)) << position;
}

TEST_F(Devices, ALostDeviceWithNoOtherLeavesTheFilePausedWhereItWasHeard) {
    std::string first = PlugAndRecord("b1");
    ASSERT_TRUE(Open());
    ASSERT_EQ(1, vbmp3_play());
    Sleep(3300);
    Unplug("b1");
    DWORD noticed = WaitWhile(VBMP3_PLAYING, 3000);
    EXPECT_LE(noticed, NOTICE_MS);
    int32_t held;
    EXPECT_EQ(VBMP3_PAUSED, State(&held));
    std::vector<driver::HeardStretch> before = driver::HeardIn(first);
    ASSERT_FALSE(before.empty());
    SCOPED_TRACE("b1: " + driver::Describe(before));
    EXPECT_TRUE(driver::IsHeardSecond(held, before.back().to)) << held;
    CheckCallsWithoutDevice({{"OP_PAUSE", vbmp3_pause, ANY, VBMP3_PAUSED, HELD},
                             {"OP_PLAY", vbmp3_play, 0, VBMP3_PAUSED, HELD},
                             {"OP_RESTART", vbmp3_restart, 0, VBMP3_PAUSED, HELD}},
                            held);

    // A device plugged later is used by the next restart, from the place last heard.
    std::string second = PlugAndRecord("b2");
    ASSERT_EQ(1, vbmp3_restart());
    Sleep(1200);
    EXPECT_EQ(VBMP3_PLAYING, State(&held));
    Unplug("b2");
    EXPECT_LE(WaitWhile(VBMP3_PLAYING, 3000), NOTICE_MS);
    std::vector<driver::HeardStretch> after = driver::HeardIn(second);
    ASSERT_FALSE(after.empty());
    SCOPED_TRACE("b2: " + driver::Describe(after));
    printf("loss, then a restart: source %+.1f ms\n",
           (after.front().from - before.back().to) * 1000);
    EXPECT_NEAR(before.back().to, after.front().from, DEVICE_CHANGE);
    EXPECT_EQ(VBMP3_PAUSED, State(&held));
    EXPECT_TRUE(driver::IsHeardSecond(held, after.back().to)) << held;
    CheckCallsWithoutDevice({{"OP_SEEK", [] { return vbmp3_seek(2); }, 1, VBMP3_PAUSED, 2},
                             {"OP_STOP", vbmp3_stop, ANY, VBMP3_STOPPED, 2},
                             {"OP_PLAY", vbmp3_play, 0, VBMP3_PAUSED, 2},
                             {"OP_CLOSE", vbmp3_close, ANY, VBMP3_STOPPED, 0}},
                            held);
    DWORD start = GetTickCount();
    (Watched("vbmp3_free"), vbmp3_free());
    EXPECT_LE(GetTickCount() - start, PROMPT_MS);
}

TEST_F(Devices, WithNoDeviceAtStartAFileOpensAndPlaysOnceOneIsPlugged) {
    ASSERT_TRUE(Open());  // init already succeeded without a device
    int32_t position;
    EXPECT_EQ(VBMP3_STOPPED, State(&position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(0, vbmp3_play());
    EXPECT_EQ(VBMP3_PAUSED, State(&position));
    EXPECT_EQ(0, position);

    std::string capture = PlugAndRecord("c1");
    ASSERT_EQ(1, vbmp3_restart());
    Sleep(1200);
    EXPECT_EQ(VBMP3_PLAYING, State(&position));
    EXPECT_GE(position, 1);
    vbmp3_pause();
    driver::StopRecording("c1");
    std::vector<driver::HeardStretch> heard = driver::HeardIn(capture);
    SCOPED_TRACE(driver::Describe(heard));
    ASSERT_EQ(1u, heard.size());
    EXPECT_NEAR(0.0, heard[0].from, PAUSE_ACCURACY);
}

// What the listener heard last before a pause is where the restart goes on, on a device whose
// lead over its reported position is its own.
TEST_F(Devices, PauseThenRestartNeitherSkipsNorRepeats) {
    std::string capture = PlugAndRecord("d1");
    ASSERT_TRUE(Open());
    ASSERT_EQ(1, vbmp3_play());
    const int PAUSES = 5;
    for (int i = 0; i < PAUSES; ++i) {
        // The first pause comes 3 s after the PLAY that opened the device, as a new user tries it.
        Sleep(i == 0 ? 3000 : 700 + 137 * i);
        ASSERT_EQ(1, vbmp3_pause());
        Sleep(i == 0 ? 700 : 400);
        ASSERT_EQ(1, vbmp3_restart());
    }
    Sleep(700);
    vbmp3_pause();
    driver::StopRecording("d1");
    std::vector<driver::HeardStretch> heard = driver::HeardIn(capture);
    SCOPED_TRACE(driver::Describe(heard));
    ASSERT_EQ(size_t(PAUSES + 1), heard.size());
    for (int i = 1; i <= PAUSES; ++i) {
        double jump = heard[i].from - heard[i - 1].to;
        printf("pause %d at %.3f s: %+.1f ms\n", i, heard[i - 1].to, jump * 1000);
        EXPECT_NEAR(0.0, jump, PAUSE_ACCURACY) << "pause " << i;
    }
}

// Its buffers are never prepared on another device, one hung close is never joined by another,
// and playing goes on on the next device and with the next file.
TEST_F(Devices, ADriverThatGivesNothingBackKeepsItAndPlayingGoesOn) {
    ASSERT_TRUE(StandIn(&waveOutOpen, CountedOpen) && StandIn(&waveOutReset, RefusedReset) &&
                StandIn(&waveOutPrepareHeader, NotedPrepare) &&
                StandIn(&waveOutUnprepareHeader, RefusedUnprepare) &&
                StandIn(&waveOutClose, HungClose) && StandIn(&waveOutGetPosition, LostPosition));
    PlugAndRecord("e1");
    ASSERT_TRUE(Open());
    ASSERT_EQ(1, vbmp3_play());
    for (LONG devices = 2; devices <= 3; ++devices) {
        InterlockedExchange(&failPosition, 1);  // the device is lost
        EXPECT_TRUE(WaitUntil([&] { return opens == devices; }, 2000)) << devices;
    }
    ASSERT_TRUE(Open());  // the file's close and the next file's play
    ASSERT_EQ(1, vbmp3_play());
    int32_t position;
    EXPECT_TRUE(
        WaitUntil([&] { return State(&position) == VBMP3_PLAYING && position >= 1; }, 3000));
    EXPECT_EQ(4, opens);
    EXPECT_EQ(0, sharedBuffers);
    EXPECT_EQ(1, hungCloses);
    SetEvent(endHangs);
}

}  // namespace
