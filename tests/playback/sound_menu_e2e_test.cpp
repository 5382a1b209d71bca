// The 音声 menu in the real Parlomix.exe: a quiet recording heard louder with 音量の自動調整
// checked, CLARITY setting the stages aside and back, and the choices kept across a restart.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/vbmp3.h"
#include "input/tables.h"
#include "res/resource.h"
#include "tests/audio/speech_like.h"
#include "tests/driver/chirp.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Program;

namespace {

const double QUIET_DBFS = -40;

int IniInt(const std::string &folder, const wchar_t *key) {
    std::wstring ini = driver::Widen(folder + "\\parlomix.ini");
    return (int)GetPrivateProfileIntW(L"Sound", key, -1, ini.c_str());
}

TEST(SoundMenuE2e, QuietRecordingHeardLouderAndChoicesKept) {
    std::string folder = driver::Install("soundmenu");
    driver::WriteDefaultSettings(folder);
    const uint32_t rate = 16000;
    SpeechLike quiet = MakeSpeechLike(rate, {{10, QUIET_DBFS, false}}, -75);
    // Stereo, as the device plays it: a mono file would be spread over two channels on the way.
    std::vector<int16_t> samples = Mix(quiet.voice, quiet.noise, 2);
    std::string recording = folder + "\\quiet.wav";
    ASSERT_TRUE(driver::WritePcmWav(recording, rate, 2, 16, samples.data(), samples.size() * 2));

    // Checked in the menu, and stored at once.
    driver::Running running;
    Program &program = running.program;
    std::vector<driver::Box> boxes = driver::StartAndSettle(folder, "", &program);
    ASSERT_TRUE(boxes.empty()) << driver::BoxTexts(boxes)[0];
    driver::Send(program.window, WM_COMMAND, IDM_AUTO_GAIN);
    EXPECT_EQ(IniInt(folder, L"AutoGain"), 1);
    EXPECT_TRUE(driver::Close(&program).empty());

    // Started again, it plays the quiet recording louder.
    boxes = driver::StartAndSettle(folder, "\"" + recording + "\"", &program);
    ASSERT_TRUE(boxes.empty()) << driver::BoxTexts(boxes)[0];
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    ASSERT_GE(driver::WaitForThumb(program.window, 5), 5);
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);

    // CLARITY from another program sets it aside, then brings it back.
    driver::Operation(program.window, OP_CLARITY);
    EXPECT_EQ(IniInt(folder, L"AutoGain"), 0);
    EXPECT_EQ(IniInt(folder, L"SetAside"), VBMP3_AUTO_GAIN);
    driver::Operation(program.window, OP_CLARITY);
    EXPECT_EQ(IniInt(folder, L"AutoGain"), 1);
    driver::Send(program.window, WM_COMMAND, IDM_CHANNEL_RIGHT);
    EXPECT_EQ(IniInt(folder, L"Channel"), VBMP3_CHANNEL_RIGHT);
    EXPECT_TRUE(driver::Close(&program).empty());

    // Heard: far above the file's level, near the automatic volume's aim (its exact level, measured
    // on the speech alone, is the library's own test).
    std::vector<unsigned char> wav =
        driver::ReadBytes(driver::UnixToWindows(driver::Env("PARLOMIX_CAPTURE")));
    uint32_t heardRate = 0;
    std::vector<int16_t> heard = driver::RecordedSamples(wav, &heardRate);
    ASSERT_GT(heardRate, 0u);
    double seconds = double(heard.size()) / heardRate;
    ASSERT_GE(seconds, 4.5);
    double level = Dbfs(heard, 1, heardRate, seconds - 2.5, seconds - 0.5);
    EXPECT_GE(level, QUIET_DBFS + 14) << "the file's voice is at " << QUIET_DBFS << " dBFS";
    EXPECT_LE(level, -17.0);
}

}  // namespace
