// A binding changed in the real program's dialog takes effect as a user expects: the new
// joystick button drives playback at once, while the settings dialog is still open, and the new
// key combination works (and the old one no longer does) from another program once the dialog
// has been closed. Playback is read from the program's seek bar.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "input/joystick.h"
#include "input/tables.h"
#include "res/resource.h"
#include "settings/option_data.h"
#include "tests/driver/dialog_driver.h"
#include "tests/driver/driver.h"
#include "tests/driver/keys.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

namespace {

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

using driver::Pump;

void Key(WORD vkey, bool up) { ASSERT_TRUE(driver::SendKey(vkey, up, 30)); }

// A key pressed and released while `modifier` is held, as a user at another program types it.
void Chord(WORD modifier, WORD vkey) {
    Key(modifier, false);
    Key(vkey, false);
    Key(vkey, true);
    Key(modifier, true);
}

// A joystick button pressed and released; the program captured the first joystick.
void JoyButton(HWND window, int button) {
    WPARAM change = (WPARAM)0x100 << (button - 1), state = (WPARAM)1 << (button - 1);
    PostMessageA(window, JOY1_BUTTON_DOWN_MESSAGE, change | state, 0);
    PostMessageA(window, JOY1_BUTTON_UP_MESSAGE, change, 0);
}

void ClickRow(HWND list, int item) {
    RECT row;
    ASSERT_TRUE(driver::ListViewRowRect(list, item, &row));
    driver::Click(list, (row.left + row.right) / 2, (row.top + row.bottom) / 2);
}

class Rebind : public ::testing::Test {
  protected:
    void TearDown() override {
        if (program.process.hProcess) driver::Kill(&program);
        if (editor) DestroyWindow(editor);
    }

    int Position() { return driver::Thumb(program.window); }

    // True when the position moves on by at least two seconds within `ms` (playing), false
    // when it stays where it was (paused).
    bool Advances(DWORD ms) {
        int from = Position();
        return driver::WaitForThumb(program.window, from + 2, INT32_MAX, ms) >= from + 2;
    }
    bool Stays(DWORD ms) {
        int from = Position();
        Pump(ms);
        return Position() == from;
    }

    driver::Program program;
    HWND editor = NULL;
};

TEST_F(Rebind, NewButtonActsWhileTheDialogIsOpenAndNewKeysOnceItIsClosed) {
    std::string folder = driver::Install("rebind");
    std::string tone = folder + "\\tone.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 90));
    OptionData options;
    SetDefaultOptionData(&options);
    options.revSeconds = 0;
    options.historyCount = 1;
    snprintf(options.history[0].path, sizeof options.history[0].path, "%s", tone.c_str());
    snprintf(options.history[0].name, sizeof options.history[0].name, "tone.wav");
    ASSERT_TRUE(driver::WriteSettings(folder, options));

    std::vector<driver::Box> boxes = driver::StartAndSettle(folder, "\"" + tone + "\"", &program);
    ASSERT_NE(program.window, (HWND)NULL);
    ASSERT_TRUE(boxes.empty()) << boxes[0].title << ": " << boxes[0].text;
    ASSERT_EQ(driver::SeekBarLength(program.window), 90);

    // PLAY/PAUSE becomes Shift+F5 with button 3 (which REW keeps as well: the first row wins).
    PostMessageA(program.window, WM_COMMAND, IDM_OPERATION_SETTINGS, 0);
    HWND dialog = driver::WaitForDialog(program.process.dwProcessId, "操作設定");
    ASSERT_NE(dialog, (HWND)NULL);
    HWND list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    ClickRow(list, 0);
    ASSERT_TRUE(
        driver::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_CHANGE)) != 0; }));
    driver::PressButton(dialog, IDC_CHANGE);
    HWND assign = driver::WaitForDialog(program.process.dwProcessId, nullptr, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    int f5 = -1;
    for (int i = 0; i < KeyNameTableCount; ++i)
        if (KeyNameTable[i].vkey == VK_F5) f5 = i;
    driver::Send(GetDlgItem(assign, IDC_KEY_LIST), LB_SETCURSEL, f5);
    driver::Send(GetDlgItem(assign, IDC_BUTTON_LIST), LB_SETCURSEL, 3);
    driver::Send(GetDlgItem(assign, IDC_CTRL), BM_SETCHECK, BST_UNCHECKED);
    driver::Send(GetDlgItem(assign, IDC_SHIFT), BM_SETCHECK, BST_CHECKED);
    driver::PressButton(assign, IDOK);
    ASSERT_TRUE(driver::WaitUntilGone(assign));

    // The dialog is still open: button 3 plays and pauses, button 1 no longer does anything.
    EXPECT_TRUE(Stays(1000)) << "paused after opening";
    JoyButton(program.window, 3);
    EXPECT_TRUE(Advances(3000)) << "button 3 started playback";
    JoyButton(program.window, 3);
    Pump(400);
    EXPECT_TRUE(Stays(1500)) << "button 3 paused again";
    JoyButton(program.window, 1);
    EXPECT_TRUE(Stays(2000)) << "button 1 lost its binding";

    // The keys change only when the dialog closes: until then Shift+F5 is not a hot key.
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = EditorProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "RebindEditor";
    RegisterClassA(&wc);
    editor = CreateWindowA("RebindEditor", "editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 320, 320,
                           300, 200, NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE(editor, (HWND)NULL);
    SetForegroundWindow(editor);
    SetFocus(editor);
    Pump(300);
    Chord(VK_SHIFT, VK_F5);
    EXPECT_TRUE(Stays(1500)) << "Shift+F5 acted before the dialog was closed";

    // The program hands the table to the hook once the dialog is destroyed, which comes a while
    // after it is hidden; a message round trip then makes sure the handing over is done.
    driver::PressButton(dialog, IDC_CLOSE);
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindow(dialog); }));
    driver::Send(program.window, WM_NULL);
    SetForegroundWindow(editor);
    SetFocus(editor);
    Pump(300);

    Chord(VK_CONTROL, VK_SPACE);
    EXPECT_TRUE(Stays(1500)) << "Ctrl+Space still plays";
    Chord(VK_SHIFT, VK_F5);
    EXPECT_TRUE(Advances(3000)) << "Shift+F5 did not start playback";
    Chord(VK_SHIFT, VK_F5);
    Pump(400);
    EXPECT_TRUE(Stays(1500)) << "Shift+F5 did not pause";
    Chord(VK_CONTROL, VK_SPACE);
    EXPECT_TRUE(Stays(1500)) << "Ctrl+Space still resumes";

    // A normal close, with no box on the way, ends the process with 0 after writing the files.
    PostMessageA(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(driver::WaitForExit(&program, 15000), 0);
    std::vector<unsigned char> saved = driver::ReadBytes(folder + "\\parlomix_key");
    ASSERT_EQ(saved.size(), sizeof(KeyData) * KEY_DATA_ROWS);
    KeyData row0;
    memcpy(&row0, saved.data(), sizeof row0);
    EXPECT_EQ(row0.vkey, VK_F5);
    EXPECT_EQ(row0.shift, 1);
    EXPECT_EQ(row0.ctrl, 0);
    EXPECT_EQ(row0.joyButton, 3);
    EXPECT_EQ(row0.operation, 1);
}

}  // namespace
