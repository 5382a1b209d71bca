// Hot keys and joystick buttons driving the real Parlomix.exe under Wine: this test process
// takes the focus with a window of its own and sends keys with SendInput, as a text editor's
// user would press them; the program's seek bar and the captured sound show what was played,
// and an observing hook installed before the program's shows which keys were passed on.
#include <windows.h>
#include <commctrl.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/joystick.h"
#include "input/tables.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/keys.h"
#include "tests/driver/sound.h"
#include "tests/input/key_observer.h"

using driver::Program;

namespace {

// The characters that the focused window received, as an editor would insert them, and how many
// of them arrived while Ctrl was down for that window.
std::string typed;
int typedWithCtrl = 0;

// The window of this process that has the focus while the keys are sent.
LRESULT CALLBACK FocusWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) {
        typed += char(wParam);
        if (GetKeyState(VK_CONTROL) < 0) ++typedWithCtrl;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

using driver::Pump;

void Key(WORD vkey, bool up) { ASSERT_TRUE(driver::SendKey(vkey, up)); }

// Presses `vkey` with Ctrl, holds it for `holdMs` while the keyboard repeats it every 100 ms,
// and lets go of the key, then of Ctrl. Returns how long the key was down, in ms.
DWORD CtrlKey(WORD vkey, DWORD holdMs = 0) {
    Key(VK_CONTROL, false);
    DWORD pressed = GetTickCount();
    Key(vkey, false);
    for (DWORD held = 100; held <= holdMs; held += 100) {
        Pump(100);
        Key(vkey, false);
    }
    DWORD heldMs = GetTickCount() - pressed;
    Key(vkey, true);
    Key(VK_CONTROL, true);
    return heldMs;
}

class HotKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        // Before the program starts, so that the program's hook comes first in the chain.
        ASSERT_TRUE(StartKeyObserver());
        ClearObservedKeys();
        WNDCLASSA wc;
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = FocusWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FocusedEditor";
        RegisterClassA(&wc);
        focus = CreateWindowA("FocusedEditor", "editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                              300, 200, NULL, NULL, wc.hInstance, NULL);
        ASSERT_NE(focus, (HWND)NULL);
    }
    void TearDown() override {
        if (program.process.hProcess != NULL && program.exitCode < 0) driver::Close(&program);
        DestroyWindow(focus);
        StopKeyObserver();
    }

    // Installs the program with settings holding `options` and the default bindings, and a
    // tone file remembered at `position`; starts it with that file and takes the focus back.
    // `opened` is set once the file is open at the remembered position.
    void Start(OptionData options, int32_t position, int seconds, bool *opened) {
        *opened = false;
        std::string folder =
            driver::Install(::testing::UnitTest::GetInstance()->current_test_info()->name());
        tone = folder + "\\tone.wav";
        ASSERT_TRUE(driver::WriteToneFile(tone, seconds));
        options.historyCount = 1;
        snprintf(options.history[0].path, FILE_SPEC_TEXT, "%s", tone.c_str());
        snprintf(options.history[0].name, FILE_SPEC_TEXT, "tone.wav");
        options.history[0].position = position;
        ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &options, sizeof options));
        KeyData keys[KEY_DATA_ROWS];
        SetDefaultKeyData(keys);
        ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_key", keys, sizeof keys));
        ASSERT_TRUE(driver::Start(folder, "\"" + tone + "\"", &program));
        std::vector<driver::Box> boxes = driver::AnswerBoxesUntilQuiet(program.process.dwProcessId);
        program.window = driver::FindMainWindow(program.process.dwProcessId, 5000);
        ASSERT_NE(program.window, (HWND)NULL);
        for (const driver::Box &box : boxes) ADD_FAILURE() << box.title << ": " << box.text;
        ASSERT_TRUE(boxes.empty());
        ASSERT_EQ(driver::SeekBarLength(program.window), seconds);
        ASSERT_EQ(Position(), position) << "opened at the remembered position";
        SetForegroundWindow(focus);
        SetFocus(focus);
        Pump(300);
        *opened = true;
    }

    int Position() { return driver::Thumb(program.window); }
    // Waits until the heard position reaches `position`; returns the last one read.
    int WaitForPosition(int position) { return driver::WaitForThumb(program.window, position); }

    Program program;
    HWND focus = NULL;
    std::string tone;
};

OptionData Options(int32_t playMode, int32_t rewSeconds) {
    OptionData options;
    SetDefaultOptionData(&options);
    options.playMode = playMode;
    options.rewSeconds = rewSeconds;
    options.revSeconds = 0;
    return options;
}

TEST_F(HotKeys, CtrlSpaceTogglesPlaybackFromAnotherProgram) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(0, 4), 0, 120, &opened));
    ASSERT_TRUE(opened);
    CtrlKey(VK_SPACE);
    // Three seconds heard, so that the capture holds the first three whole.
    int playing = WaitForPosition(3);
    // At least real time; the sound sink of the tests may take the sound faster.
    EXPECT_GE(playing, 2) << "the press started playback";
    // Keys without their binding's exact modifiers are passed on to the focused program.
    Key(VK_SPACE, false);
    Key(VK_SPACE, true);
    Key(VK_SHIFT, false);
    Key(VK_SPACE, false);
    Key(VK_SPACE, true);
    Key(VK_SHIFT, true);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 2);

    CtrlKey(VK_SPACE);
    Pump(500);
    int paused = Position();
    Pump(1500);
    EXPECT_EQ(Position(), paused) << "the second press paused";
    EXPECT_GE(paused, playing);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 2) << "the hot key's Space was never passed on";
    EXPECT_GE(ObservedKeyDowns(VK_CONTROL), 2);

    EXPECT_TRUE(driver::Close(&program).empty());
    std::vector<int> seconds = driver::CapturedSecondList();
    ASSERT_GE(seconds.size(), 3u);
    EXPECT_EQ(seconds[0], 0);
    EXPECT_EQ(seconds[1], 1);
    EXPECT_EQ(seconds[2], 2);
}

// Ctrl+変換 pressed and its key let go while Ctrl stays down for `ctrlHeldMs`; returns what the
// focused window received meanwhile, then lets go of Ctrl and waits for the stamp.
std::string TimestampWhileCtrlHeld(DWORD ctrlHeldMs) {
    typed.clear();
    Key(VK_CONTROL, false);
    Key(VK_CONVERT, false);
    Key(VK_CONVERT, true);
    Pump(ctrlHeldMs);
    std::string whileHeld = typed;
    Key(VK_CONTROL, true);
    driver::WaitUntil([] { return typed.size() >= 11; }, 3000);
    Pump(300);  // a character too many would show as well
    return whileHeld;
}

std::string Stamp(int seconds) {
    char text[32];
    snprintf(text, sizeof text, "[%02d:%02d:%02d] ", seconds / 3600, seconds / 60 % 60,
             seconds % 60);
    return text;
}

TEST_F(HotKeys, TimestampTypesTheHeardPositionOnceCtrlIsLetGo) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(0, 4), 0, 120, &opened));
    ASSERT_TRUE(opened);
    typedWithCtrl = 0;
    CtrlKey(VK_SPACE);
    WaitForPosition(2);
    CtrlKey(VK_SPACE);
    Pump(400);
    int paused = Position();
    ASSERT_GE(paused, 2) << "played before the pause";

    // Paused: the stamp is the position shown, and nothing reaches the editor while Ctrl is down.
    EXPECT_EQ(TimestampWhileCtrlHeld(1000), "");
    EXPECT_EQ(typed, Stamp(paused));
    Pump(1000);
    EXPECT_EQ(Position(), paused) << "playback was not touched";

    // Playing: the second reached when the key went down.
    CtrlKey(VK_SPACE);
    int before = WaitForPosition(paused + 1);
    EXPECT_EQ(TimestampWhileCtrlHeld(800), "");
    int after = Position();
    EXPECT_GT(after, before) << "still playing";
    int stamped = -1;
    for (int second = before; second <= after && stamped < 0; ++second)
        if (typed == Stamp(second)) stamped = second;
    EXPECT_GE(stamped, 0) << "typed \"" << typed << "\" between " << before << " and " << after;

    // Plain characters only: never one with Ctrl, never a digit key, and the trigger swallowed.
    EXPECT_EQ(typedWithCtrl, 0);
    EXPECT_EQ(ObservedKeyDowns(VK_CONVERT), 0);
    for (WORD digit = '0'; digit <= '9'; ++digit) EXPECT_EQ(ObservedKeyDowns(digit), 0) << digit;
    EXPECT_TRUE(driver::Close(&program).empty());
}

TEST_F(HotKeys, PlayModePlaysOnlyWhileTheKeyIsHeld) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(1, 4), 0, 120, &opened));
    ASSERT_TRUE(opened);
    CtrlKey(VK_SPACE, 2600);
    int released = Position();
    EXPECT_GE(released, 2) << "played while held";
    Pump(1500);
    EXPECT_EQ(Position(), released) << "paused on release";
    // The next hold goes on from there.
    CtrlKey(VK_SPACE, 1600);
    Pump(200);
    int again = Position();
    EXPECT_GE(again, released + 1);
    Pump(1200);
    EXPECT_EQ(Position(), again);
}

TEST_F(HotKeys, HoldingCtrlLeftStepsBackUntilReleased) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(0, 1), 40, 60, &opened));
    ASSERT_TRUE(opened);
    // Held for a second: the press and about five repeats 180 ms apart, one second each.
    DWORD heldMs = CtrlKey(VK_LEFT, 1000);
    int held = Position();
    EXPECT_GE(40 - held, 3) << "the step repeats while the key is held";
    EXPECT_LE(40 - held, int(heldMs / 180) + 2) << "one step per 180 ms, held " << heldMs;
    Pump(1000);
    EXPECT_EQ(Position(), held) << "the release stopped the repeat";
    // Ctrl+Right steps forward once for a short press.
    CtrlKey(VK_RIGHT);
    Pump(400);
    EXPECT_EQ(Position(), held + 4);
    EXPECT_EQ(ObservedKeyDowns(VK_LEFT) + ObservedKeyDowns(VK_RIGHT), 0);
}

TEST_F(HotKeys, JoystickButtonsTakeTheSameRoad) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(0, 1), 30, 120, &opened));
    ASSERT_TRUE(opened);
    const WPARAM BUTTON1 = 0x100 | 0x1, BUTTON3 = 0x400 | 0x4;
    PostMessageA(program.window, JOY1_BUTTON_DOWN_MESSAGE, BUTTON1, 0);
    PostMessageA(program.window, JOY1_BUTTON_UP_MESSAGE, 0x100, 0);
    int playing = WaitForPosition(31);
    EXPECT_GE(playing, 31) << "button 1 started playback; its release did nothing";
    PostMessageA(program.window, JOY1_BUTTON_DOWN_MESSAGE, BUTTON1, 0);
    PostMessageA(program.window, JOY1_BUTTON_UP_MESSAGE, 0x100, 0);
    Pump(500);
    int paused = Position();
    Pump(1000);
    EXPECT_EQ(Position(), paused) << "button 1 again paused";
    // Button 3 is REW: it steps back while held and stops on release.
    DWORD pressed = GetTickCount();
    PostMessageA(program.window, JOY2_BUTTON_DOWN_MESSAGE, BUTTON3, 0);
    Pump(1000);
    PostMessageA(program.window, JOY2_BUTTON_UP_MESSAGE, 0x400, 0);
    DWORD heldMs = GetTickCount() - pressed;
    Pump(200);
    int held = Position();
    EXPECT_GE(paused - held, 3) << "the step repeats while the button is held";
    EXPECT_LE(paused - held, int(heldMs / 180) + 2) << "held " << heldMs;
    Pump(1000);
    EXPECT_EQ(Position(), held);
    // A message naming none of buttons 1 to 4 does nothing.
    PostMessageA(program.window, JOY1_BUTTON_DOWN_MESSAGE, 0x1000, 0);
    Pump(1000);
    EXPECT_EQ(Position(), held);
}

// No input reaches the program while the session is locked: a pedal let go meanwhile must not
// leave Play mode playing, nor keep the next press from counting.
TEST_F(HotKeys, ButtonHeldAcrossALockIsLetGo) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(1, 1), 30, 120, &opened));
    ASSERT_TRUE(opened);
    const WPARAM BUTTON1 = 0x100 | 0x1;
    PostMessageA(program.window, JOY1_BUTTON_DOWN_MESSAGE, BUTTON1, 0);
    EXPECT_GE(WaitForPosition(32), 32) << "playing while held";
    PostMessageA(program.window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    Pump(500);
    int locked = Position();
    Pump(1500);
    EXPECT_EQ(Position(), locked) << "paused by the lock";
    PostMessageA(program.window, JOY1_BUTTON_UP_MESSAGE, 0x100, 0);
    PostMessageA(program.window, JOY1_BUTTON_DOWN_MESSAGE, BUTTON1, 0);
    EXPECT_GE(WaitForPosition(locked + 2), locked + 2) << "the next press plays";
    EXPECT_TRUE(driver::Close(&program).empty());
}

// The program's own registration for foot pedals, read inside the running Parlomix.exe by a
// probe library loaded there: the three pedal collections, in the background, with arrival and
// removal notices, on the main window.
TEST_F(HotKeys, PedalCollectionsAreRegisteredOnTheMainWindow) {
    bool opened;
    ASSERT_NO_FATAL_FAILURE(Start(Options(0, 1), 0, 60, &opened));
    ASSERT_TRUE(opened);
    char self[MAX_PATH];
    std::string folder(self, GetModuleFileNameA(NULL, self, MAX_PATH));
    folder.erase(folder.rfind('\\') + 1);
    std::string probe = folder + "raw_input_probe.dll", report = folder + "raw_input_probe.txt";
    DeleteFileA(report.c_str());
    HANDLE process = program.process.hProcess;
    void *name =
        VirtualAllocEx(process, NULL, probe.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(WriteProcessMemory(process, name, probe.c_str(), probe.size() + 1, NULL));
    LPTHREAD_START_ROUTINE load = (LPTHREAD_START_ROUTINE)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "LoadLibraryA");
    HANDLE thread = CreateRemoteThread(process, NULL, 0, load, name, 0, NULL);
    ASSERT_NE(thread, (HANDLE)NULL);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
    VirtualFreeEx(process, name, 0, MEM_RELEASE);

    std::vector<unsigned char> bytes = driver::ReadBytes(report);
    std::vector<std::string> lines;
    std::string text(bytes.begin(), bytes.end());
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    std::sort(lines.begin(), lines.end());
    char window[24];
    snprintf(window, sizeof window, "%llX", (unsigned long long)(uintptr_t)program.window);
    std::vector<std::string> expected = {std::string("1 4 2100 ") + window,
                                         std::string("C 1 2100 ") + window,
                                         std::string("C 3 2100 ") + window};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(driver::Close(&program).empty());
}

}  // namespace
