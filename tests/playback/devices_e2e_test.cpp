// The real Parlomix.exe on sound devices that come and go (null sinks of the test's own
// PulseAudio server): it starts without any, and follows them as they are plugged and unplugged
// while a chirp plays; each sink's recording tells which moments of the file were heard.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/pulse.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

namespace {

const int SECONDS = 16;
const double DEVICE_CHANGE = 0.1;  // source time a device change may skip or repeat

int32_t Thumb(const driver::Program &program) { return driver::Thumb(program.window); }

bool WaitForThumb(const driver::Program &program, int32_t position) {
    return driver::WaitForThumb(program.window, position) >= position;
}

TEST(DevicesE2e, StartsWithoutADeviceAndFollowsDevicesAsTheyComeAndGo) {
    std::string folder = driver::Install("devices");
    std::vector<int16_t> chirp = driver::ChirpSamples(SECONDS);
    std::string file = folder + "\\interview.wav";
    ASSERT_TRUE(
        driver::WritePcmWav(file, driver::CHIRP_RATE, 1, 16, chirp.data(), chirp.size() * 2));
    OptionData options;
    SetDefaultOptionData(&options);
    options.revSeconds = 0;  // a resume goes on from the second it stopped in
    options.historyCount = 1;
    strcpy(options.history[0].path, file.c_str());
    strcpy(options.history[0].name, "interview.wav");
    ASSERT_TRUE(driver::WriteSettings(folder, options));

    // No device: the window has its controls, and the history's file opens.
    driver::Running running;
    driver::Program &program = running.program;
    std::vector<driver::Box> boxes = driver::StartAndSettle(folder, "", &program);
    ASSERT_NE((HWND)NULL, program.window);
    EXPECT_TRUE(boxes.empty()) << driver::BoxTexts(boxes)[0];
    EXPECT_NE((HWND)NULL, GetDlgItem(program.window, IDC_SEEK_BAR));
    PostMessageA(program.window, WM_COMMAND, IDM_HISTORY_FIRST, 0);
    boxes = driver::AnswerBoxesUntilQuiet(program.process.dwProcessId, 1000);
    EXPECT_TRUE(boxes.empty()) << driver::BoxTexts(boxes)[0];
    EXPECT_EQ("interview.wav - Parlomix", driver::WindowText(program.window));
    EXPECT_EQ(SECONDS, driver::SeekBarLength(program.window));

    ASSERT_TRUE(driver::PlugSink("cap"));
    std::string first = driver::StartRecording("cap", "e2e");
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    ASSERT_TRUE(WaitForThumb(program, 2));

    // Another device present when this one goes: playing goes on there.
    ASSERT_TRUE(driver::AddSink("cap2"));
    std::string second = driver::StartRecording("cap2", "e2e");
    int32_t before = Thumb(program);
    ASSERT_TRUE(driver::UnplugSink("cap"));
    EXPECT_TRUE(WaitForThumb(program, before + 2));

    // None left: within a second the window holds the second last heard.
    ASSERT_TRUE(driver::UnplugSink("cap2"));
    driver::Sleep(1000);
    int32_t held = Thumb(program);
    driver::Sleep(800);
    EXPECT_EQ(held, Thumb(program));

    ASSERT_TRUE(driver::PlugSink("cap3"));
    std::string third = driver::StartRecording("cap3", "e2e");
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    EXPECT_TRUE(WaitForThumb(program, held + 2));
    EXPECT_TRUE(driver::Close(&program).empty());
    driver::StopRecording("cap3");

    std::vector<driver::HeardStretch> a = driver::HeardIn(first), b = driver::HeardIn(second),
                                      c = driver::HeardIn(third);
    SCOPED_TRACE("cap: " + driver::Describe(a) + "; cap2: " + driver::Describe(b) +
                 "; cap3: " + driver::Describe(c));
    ASSERT_EQ(1u, a.size());
    ASSERT_EQ(1u, b.size());
    ASSERT_FALSE(c.empty());
    EXPECT_NEAR(0.0, a[0].from, 0.05);
    EXPECT_NEAR(a[0].to, b[0].from, DEVICE_CHANGE);
    EXPECT_TRUE(driver::IsHeardSecond(held, b[0].to)) << held;
    // The resume starts at the held second, not past what was heard.
    EXPECT_TRUE(driver::IsHeardSecond(held, c[0].from)) << held;
    EXPECT_LE(c[0].from, b[0].to + DEVICE_CHANGE);
    printf("device change %+.1f ms; lost at %.3f s, resumed at %.3f s\n",
           (b[0].from - a[0].to) * 1000, b[0].to, c[0].from);
}

}  // namespace
