// The main window as a user sees it, through the real program: the seek bar's range and ticks,
// the thumb during playback and while dragged, the step value, the focus rule of the controls
// and "Always top".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Program;
using driver::Running;

// An 8 kHz mono 8-bit WAV of `seconds` of quiet noise: small enough to write at test time.
static bool WriteLongWav(const std::string &path, uint32_t seconds) {
    std::vector<unsigned char> samples(size_t(8000) * seconds);
    uint32_t seed = 12345;
    for (unsigned char &sample : samples) {
        seed = seed * 1103515245u + 12345u;
        sample = (unsigned char)(128 + ((seed >> 16) & 7) - 4);
    }
    return driver::WritePcmWav(path, 8000, 1, 8, samples.data(), samples.size());
}

using driver::Thumb;
using driver::WaitForThumb;

class Window : public ::testing::Test {
  protected:
    void StartWith(const char *sub, uint32_t seconds, const char *name = "long take.wav") {
        folder_ = driver::Install(sub);
        driver::WriteDefaultSettings(folder_);
        ASSERT_TRUE(WriteLongWav(folder_ + "\\" + name, seconds));
        std::vector<driver::Box> boxes =
            driver::StartAndSettle(folder_, "\"" + folder_ + "\\" + name + "\"", &run_.program);
        EXPECT_EQ(driver::BoxTexts(boxes), std::vector<std::string>{});
        ASSERT_NE(run_.program.window, (HWND)NULL);
        window_ = run_.program.window;
        seekBar_ = GetDlgItem(window_, IDC_SEEK_BAR);
        ASSERT_NE(seekBar_, (HWND)NULL);
    }
    void Command(WPARAM id) { driver::Send(window_, WM_COMMAND, id, 0); }
    void Scroll(WORD code, int32_t position) {
        driver::Send(seekBar_, TBM_SETPOS, TRUE, position);
        driver::Send(window_, WM_HSCROLL, MAKEWPARAM(code, position), (LPARAM)seekBar_);
    }

    std::string folder_;
    Running run_;
    HWND window_ = NULL;
    HWND seekBar_ = NULL;
};

TEST_F(Window, SeekBarHasTheFilesLengthAndATickEveryTenMinutes) {
    StartWith("ticks", 3725);
    EXPECT_EQ(driver::WindowText(window_), "long take.wav - Parlomix");
    EXPECT_EQ(driver::Send(seekBar_, TBM_GETRANGEMIN), 0);
    EXPECT_EQ(driver::Send(seekBar_, TBM_GETRANGEMAX), 3725);
    // The two ends and the six ticks at 600, 1200, ..., 3600.
    ASSERT_EQ(driver::Send(seekBar_, TBM_GETNUMTICS), 8);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(driver::Send(seekBar_, TBM_GETTIC, i), 600 * (i + 1));
    EXPECT_EQ(Thumb(window_), 0);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
}

TEST_F(Window, ThumbFollowsPlaybackAndADragSeeksOnlyOnRelease) {
    StartWith("thumb", 3725);
    Command(IDM_PLAY_PAUSE);  // play
    EXPECT_GE(WaitForThumb(window_, 2, 3725, 6000), 2);
    Command(IDM_PLAY_PAUSE);  // pause
    int32_t paused = Thumb(window_);
    ASSERT_GE(paused, 2);

    // Dragging alone does not seek: resuming goes on from where the sound stopped.
    Scroll(TB_THUMBTRACK, 2000);
    driver::Sleep(400);
    EXPECT_EQ(Thumb(window_), 2000);  // nothing moves the thumb back while it is held
    Command(IDM_PLAY_PAUSE);          // resume, one second earlier
    EXPECT_LE(WaitForThumb(window_, paused - 2, paused + 2), paused + 2);
    Command(IDM_PLAY_PAUSE);

    // Letting go seeks there; the file stays paused and the refresh keeps the thumb there.
    Scroll(TB_THUMBTRACK, 1000);
    Scroll(TB_THUMBPOSITION, 1000);
    driver::Sleep(600);
    EXPECT_EQ(Thumb(window_), 1000);
    Command(IDM_PLAY_PAUSE);
    int32_t resumed = WaitForThumb(window_, 1000, 1003, 4000);
    EXPECT_GE(resumed, 999);
    EXPECT_LE(resumed, 1003);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
    // The close stored where the work stopped.
    OptionData saved = driver::ReadOptions(folder_);
    ASSERT_EQ(saved.historyCount, 1);
    EXPECT_GE(saved.history[0].position, 999);
    EXPECT_LE(saved.history[0].position, 1010);
}

TEST_F(Window, AJapaneseFileNameOpensAndTitlesTheWindow) {
    // 表 ends in the byte of the backslash: the name must not be split there.
    StartWith("japanese", 5, "議事録\x95\x5c.wav");
    EXPECT_EQ(driver::WindowText(window_), "議事録\x95\x5c.wav - Parlomix");
    EXPECT_EQ(driver::Send(seekBar_, TBM_GETRANGEMAX), 5);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
    OptionData saved = driver::ReadOptions(folder_);
    ASSERT_EQ(saved.historyCount, 1);
    EXPECT_STREQ(saved.history[0].name, "議事録\x95\x5c.wav");
}

// Presses the upper half of an up-down control, as a click on its up arrow does.
static void ClickUp(HWND upDown) {
    RECT r;
    GetClientRect(upDown, &r);
    LPARAM at = MAKELPARAM((r.right - r.left) / 2, 2);
    driver::Send(upDown, WM_LBUTTONDOWN, MK_LBUTTON, at);
    driver::Send(upDown, WM_LBUTTONUP, 0, at);
}

TEST_F(Window, StepUpDownSetsBothStepsAndRevStaysInRange) {
    StartWith("steps", 30);
    ASSERT_EQ(driver::WindowText(GetDlgItem(window_, IDC_STEP_BOX)), "4");
    ClickUp(GetDlgItem(window_, IDC_STEP_UPDOWN));
    EXPECT_EQ(driver::WindowText(GetDlgItem(window_, IDC_STEP_BOX)), "5");
    for (int i = 0; i < 12; ++i) ClickUp(GetDlgItem(window_, IDC_REV_UPDOWN));
    EXPECT_EQ(driver::WindowText(GetDlgItem(window_, IDC_REV_BOX)),
              std::to_string(STEP_SECONDS_MAX));
    EXPECT_TRUE(driver::Close(&run_.program).empty());
    OptionData saved = driver::ReadOptions(folder_);
    EXPECT_EQ(saved.rewSeconds, 5);
    EXPECT_EQ(saved.ffSeconds, 5);
    EXPECT_EQ(saved.revSeconds, STEP_SECONDS_MAX);
}

static HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info);
    return info.hwndFocus;
}

TEST_F(Window, KeysInControlsSendTheFocusBackAndAlwaysTopActsAtOnce) {
    StartWith("focus", 30);
    HWND alwaysTop = GetDlgItem(window_, IDC_ALWAYS_TOP);
    ASSERT_EQ(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    driver::Send(alwaysTop, BM_CLICK);
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // A clicked check box keeps the focus until a key arrives.
    EXPECT_EQ(FocusOf(window_), alwaysTop);
    driver::Send(alwaysTop, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(FocusOf(window_), window_);
    EXPECT_EQ(driver::Send(alwaysTop, BM_GETCHECK), BST_CHECKED);

    HWND revBox = GetDlgItem(window_, IDC_REV_BOX);
    driver::Send(revBox, WM_KEYDOWN, '7', 0);
    EXPECT_EQ(FocusOf(window_), window_);
    EXPECT_EQ(driver::WindowText(revBox), "1");

    driver::Send(alwaysTop, BM_CLICK);
    EXPECT_EQ(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    driver::Send(GetDlgItem(window_, IDC_PLAY_MODE), BM_CLICK);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
    OptionData saved = driver::ReadOptions(folder_);
    EXPECT_EQ(saved.alwaysOnTop, 0);
    EXPECT_EQ(saved.playMode, 1);
}
