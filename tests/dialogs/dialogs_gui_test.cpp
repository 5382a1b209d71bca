// The binding dialogs, the About box and F1 (with and without help.chm) through the real
// Parlomix.exe under Wine: opened from the program's own menu commands and keys, driven from
// this process as a user's clicks would drive them, with the effect read back from the
// program's windows and the settings file it writes at close.
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
#include "res/version.h"
#include "settings/option_data.h"
#include "tests/driver/dialog_driver.h"
#include "tests/driver/driver.h"

using driver::Program;

namespace {

const char kSettingsTitle[] = "操作設定";
const char kAboutTitle[] = "バージョン情報";

std::vector<std::string> Row(HWND list, int item) {
    return {driver::ListViewText(list, item, 0), driver::ListViewText(list, item, 1),
            driver::ListViewText(list, item, 2)};
}

int KeyIndex(int32_t vkey) {
    for (int i = 0; i < KeyNameTableCount; ++i)
        if (KeyNameTable[i].vkey == vkey) return i;
    return -1;
}

// A click in the middle of a row of the list view.
void ClickRow(HWND list, int item) {
    RECT row;
    ASSERT_TRUE(driver::ListViewRowRect(list, item, &row)) << item;
    driver::Click(list, (row.left + row.right) / 2, (row.top + row.bottom) / 2);
}

// The program installed with default settings (so that it starts without boxes), optionally a
// tone file that is opened at start.
class ProgramTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (program.process.hProcess) driver::Kill(&program);
    }

    void Install(bool withHelp) {
        folder = driver::Install(::testing::UnitTest::GetInstance()->current_test_info()->name());
        if (!withHelp) DeleteFileA((folder + "\\help.chm").c_str());
        OptionData options;
        SetDefaultOptionData(&options);
        ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &options, sizeof options));
        KeyData keys[KEY_DATA_ROWS];
        SetDefaultKeyData(keys);
        ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_key", keys, sizeof keys));
    }

    void Start(const std::string &arguments = "") {
        ASSERT_TRUE(driver::Start(folder, arguments, &program));
        boxes = driver::AnswerBoxesUntilQuiet(program.process.dwProcessId);
        program.window = driver::FindMainWindow(program.process.dwProcessId, 5000);
        ASSERT_NE(program.window, (HWND)NULL);
    }

    bool Responding() {
        DWORD_PTR result = 0;
        return WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT &&
               SendMessageTimeoutA(program.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }

    HWND OpenSettings() {
        PostMessageA(program.window, WM_COMMAND, IDM_OPERATION_SETTINGS, 0);
        return driver::WaitForDialog(program.process.dwProcessId, kSettingsTitle);
    }

    KeyData SavedRow(int row) {
        KeyData saved[KEY_DATA_ROWS];
        memset(saved, 0, sizeof saved);
        std::vector<unsigned char> bytes = driver::ReadBytes(folder + "\\parlomix_key");
        EXPECT_EQ(bytes.size(), sizeof saved);
        if (bytes.size() == sizeof saved) memcpy(saved, bytes.data(), sizeof saved);
        return saved[row];
    }

    std::string folder;
    Program program;
    std::vector<driver::Box> boxes;
};

TEST_F(ProgramTest, SettingsDialogChangesABindingThatIsSavedAtClose) {
    ASSERT_NO_FATAL_FAILURE(Install(true));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(boxes.empty());
    HWND dialog = OpenSettings();
    ASSERT_NE(dialog, (HWND)NULL);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program.window);
    HWND list = GetDlgItem(dialog, IDC_OPERATION_LIST);
    HWND change = GetDlgItem(dialog, IDC_CHANGE);
    ASSERT_EQ(driver::ListViewCount(list), KEY_DATA_ROWS);
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"PLAY/PAUSE", "[Ctrl][Space]", "Button 1"}));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"STOP", "[Ctrl][無変換]", "Button 2"}));
    EXPECT_EQ(Row(list, 5), (std::vector<std::string>{"PITCH_DOWN", "[Ctrl][↓]", "(なし)"}));
    EXPECT_EQ(Row(list, 6), (std::vector<std::string>{"TIMESTAMP", "[Ctrl][変換]", "(なし)"}));

    // Change is disabled until a row is selected, and again once a click clears the selection.
    EXPECT_FALSE(IsWindowEnabled(change));
    ClickRow(list, 3);
    EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(change) != FALSE; }));
    EXPECT_EQ(driver::ListViewSelected(list), 3);
    RECT client;
    GetClientRect(list, &client);
    driver::Click(list, client.right / 2, client.bottom - 3);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindowEnabled(change); }));
    EXPECT_EQ(driver::ListViewSelected(list), -1);

    // Row 0 becomes Shift+F5 with button 3 through the assignment dialog.
    ClickRow(list, 0);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(change) != FALSE; }));
    driver::PressButton(dialog, IDC_CHANGE);
    HWND assign = driver::WaitForDialog(program.process.dwProcessId, nullptr, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(driver::WindowText(assign), "PLAY/PAUSE  (変更前 : [Ctrl][Space]  /  Button 1)");
    HWND keys = GetDlgItem(assign, IDC_KEY_LIST);
    EXPECT_EQ(driver::Send(keys, LB_GETCOUNT), KeyNameTableCount);
    EXPECT_EQ(driver::Send(keys, LB_GETCURSEL), KeyIndex(0x20));
    driver::Send(keys, LB_SETCURSEL, KeyIndex(0x74));
    driver::Send(GetDlgItem(assign, IDC_BUTTON_LIST), LB_SETCURSEL, 3);
    driver::Send(GetDlgItem(assign, IDC_CTRL), BM_SETCHECK, BST_UNCHECKED);
    driver::Send(GetDlgItem(assign, IDC_SHIFT), BM_SETCHECK, BST_CHECKED);
    driver::PressButton(assign, IDOK);
    ASSERT_TRUE(driver::WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 0), (std::vector<std::string>{"PLAY/PAUSE", "[Shift][F5]", "Button 3"}));

    // Cancel leaves row 1 as it was.
    ClickRow(list, 1);
    ASSERT_TRUE(driver::WaitUntil([&] { return driver::ListViewSelected(list) == 1; }));
    driver::PressButton(dialog, IDC_CHANGE);
    assign = driver::WaitForDialog(program.process.dwProcessId, nullptr, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    driver::Send(GetDlgItem(assign, IDC_ALT), BM_SETCHECK, BST_CHECKED);
    driver::PressButton(assign, IDCANCEL);
    ASSERT_TRUE(driver::WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"STOP", "[Ctrl][無変換]", "Button 2"}));

    // The seventh row changes the same way: TIMESTAMP becomes Alt+F9 with button 4.
    ClickRow(list, 6);
    ASSERT_TRUE(driver::WaitUntil([&] { return driver::ListViewSelected(list) == 6; }));
    driver::PressButton(dialog, IDC_CHANGE);
    assign = driver::WaitForDialog(program.process.dwProcessId, nullptr, dialog);
    ASSERT_NE(assign, (HWND)NULL);
    EXPECT_EQ(driver::WindowText(assign), "TIMESTAMP  (変更前 : [Ctrl][変換]  /  (なし))");
    EXPECT_EQ(driver::Send(GetDlgItem(assign, IDC_KEY_LIST), LB_GETCURSEL), KeyIndex(0x1C));
    driver::Send(GetDlgItem(assign, IDC_KEY_LIST), LB_SETCURSEL, KeyIndex(0x78));
    driver::Send(GetDlgItem(assign, IDC_BUTTON_LIST), LB_SETCURSEL, 4);
    driver::Send(GetDlgItem(assign, IDC_CTRL), BM_SETCHECK, BST_UNCHECKED);
    driver::Send(GetDlgItem(assign, IDC_ALT), BM_SETCHECK, BST_CHECKED);
    driver::PressButton(assign, IDOK);
    ASSERT_TRUE(driver::WaitUntilGone(assign));
    EXPECT_EQ(Row(list, 6), (std::vector<std::string>{"TIMESTAMP", "[Alt][F9]", "Button 4"}));

    driver::PressButton(dialog, IDC_CLOSE);
    ASSERT_TRUE(driver::WaitUntilGone(dialog));
    EXPECT_TRUE(Responding());
    // The file changes only at the program's close.
    EXPECT_EQ(SavedRow(0).vkey, 0x20);
    EXPECT_TRUE(driver::Close(&program).empty());
    KeyData expected[KEY_DATA_ROWS];
    SetDefaultKeyData(expected);
    SetKeyData(&expected[0], 0x74, 1, 0, 0, 0, 3, 1);
    SetKeyData(&expected[6], 0x78, 0, 0, 1, 0, 4, OP_TIMESTAMP);
    for (int i = 0; i < KEY_DATA_ROWS; ++i) {
        KeyData saved = SavedRow(i);
        EXPECT_EQ(memcmp(&saved, &expected[i], sizeof saved), 0) << "row " << i;
    }
}

BOOL CALLBACK FindIconProc(HWND child, LPARAM found) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    bool icon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (lstrcmpiA(className, "Static") == 0 && icon && driver::Send(child, STM_GETICON) != 0) {
        *(bool *)found = true;
        return FALSE;
    }
    return TRUE;
}

// An icon control of the box holds a loaded icon.
bool ShowsAnIcon(HWND dialog) {
    bool found = false;
    EnumChildWindows(dialog, FindIconProc, (LPARAM)&found);
    return found;
}

TEST_F(ProgramTest, AboutBoxClosesWithEnterEscOkAndTheCloseBox) {
    ASSERT_NO_FATAL_FAILURE(Install(true));
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Way {
        const char *name;
        void (*close)(HWND about);
    };
    const Way ways[] = {
        {"Enter", [](HWND about) { driver::PostKey(GetDlgItem(about, IDOK), VK_RETURN); }},
        {"Esc", [](HWND about) { driver::PostKey(GetDlgItem(about, IDOK), VK_ESCAPE); }},
        {"OK", [](HWND about) { driver::PressButton(about, IDOK); }},
        {"close box", [](HWND about) { PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Way &way : ways) {
        PostMessageA(program.window, WM_COMMAND, IDM_ABOUT, 0);
        HWND about = driver::WaitForDialog(program.process.dwProcessId, kAboutTitle);
        ASSERT_NE(about, (HWND)NULL) << way.name;
        EXPECT_EQ(GetWindow(about, GW_OWNER), program.window);
        EXPECT_NE(driver::FindChildByText(about,
                                          "Parlomix\x81\x40\x81\x40Version " PARLOMIX_VERSION_TEXT),
                  (HWND)NULL);
        EXPECT_TRUE(ShowsAnIcon(about)) << "the program icon is missing";
        // The main window takes no input while the box is up.
        EXPECT_FALSE(IsWindowEnabled(program.window)) << way.name;
        way.close(about);
        EXPECT_TRUE(driver::WaitUntilGone(about)) << way.name << " did not close the box";
        EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(program.window) != FALSE; }));
    }
    EXPECT_TRUE(Responding());
    EXPECT_TRUE(driver::Close(&program).empty());
}

TEST_F(ProgramTest, F1WithoutTheHelpFileShowsNothingAndTheProgramGoesOn) {
    ASSERT_NO_FATAL_FAILURE(Install(false));
    ASSERT_NO_FATAL_FAILURE(Start());
    std::vector<HWND> before = driver::VisibleWindows(program.process.dwProcessId);
    for (int i = 0; i < 2; ++i) {
        driver::PostKey(program.window, VK_F1);
        PostMessageA(program.window, WM_COMMAND, IDM_HELP, 0);
    }
    driver::Sleep(2000);
    EXPECT_TRUE(Responding());
    EXPECT_EQ(driver::VisibleWindows(program.process.dwProcessId), before);
    driver::Box box;
    EXPECT_FALSE(driver::WaitForBox(program.process.dwProcessId, &box, 200)) << box.text;
    // Still working: the About box opens and closes.
    PostMessageA(program.window, WM_COMMAND, IDM_ABOUT, 0);
    HWND about = driver::WaitForDialog(program.process.dwProcessId, kAboutTitle);
    ASSERT_NE(about, (HWND)NULL);
    driver::PressButton(about, IDOK);
    EXPECT_TRUE(driver::WaitUntilGone(about));
    EXPECT_TRUE(driver::Close(&program).empty());
}

// The viewer's frame window, once HTML Help has opened help.chm.
HWND FindHelpViewer(DWORD pid) {
    for (HWND window : driver::VisibleWindows(pid)) {
        char className[64] = "";
        GetClassNameA(window, className, sizeof className);
        if (strcmp(className, "HH Parent") == 0) return window;
    }
    return NULL;
}

TEST_F(ProgramTest, F1OpensTheHelpFileInTheViewer) {
    ASSERT_NO_FATAL_FAILURE(Install(true));
    // A file named hhctrl.ocx in the program's folder, which is also the current directory:
    // the viewer must still be the system's.
    ASSERT_TRUE(CopyFileA((driver::DistFolder() + "\\..\\decoy\\hhctrl.ocx").c_str(),
                          (folder + "\\hhctrl.ocx").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start());
    driver::PostKey(program.window, VK_F1);
    HWND viewer = NULL;
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return (viewer = FindHelpViewer(program.process.dwProcessId)) != NULL; }, 20000));
    // The title comes from the help file itself.
    if (viewer) {
        EXPECT_EQ(driver::WindowText(viewer), "Parlomix ヘルプ");
    }
    EXPECT_TRUE(Responding());
    if (viewer) PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_FALSE(driver::FileExists(folder + "\\decoy-loaded"));
}

}  // namespace
