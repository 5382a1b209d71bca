// duvarore.dll in a real Wine session: a window of the test is given to SetHook, keys are sent
// with SendInput, and the ZT_Command messages that arrive at the window and the keys that the
// hook passes on (seen by an observing hook installed before it) are checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "hook/duvarore.h"
#include "input/tables.h"
#include "tests/driver/keys.h"
#include "tests/input/key_observer.h"

namespace {

struct Report {
    WPARAM operation;
    uint32_t flags;
    DWORD postedAt;  // the message's time: when the hook posted it
};

UINT commandMessage;
HWND window;
std::vector<Report> reports;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == commandMessage) {
        reports.push_back({wParam, static_cast<uint32_t>(lParam), DWORD(GetMessageTime())});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

using driver::Pump;

// Pumps until `count` reports have arrived (at most 3 s), then a little longer so that a
// report too many would be seen as well.
void WaitForReports(size_t count) {
    DWORD start = GetTickCount();
    while (reports.size() < count && GetTickCount() - start < 3000) Pump(20);
    Pump(250);
}

void Key(WORD vkey, bool up) { ASSERT_TRUE(driver::SendKey(vkey, up, 15)); }

void Down(WORD vkey) { Key(vkey, false); }
void Up(WORD vkey) { Key(vkey, true); }

void ReleaseModifiers() {
    for (WORD vkey : {VK_CONTROL, VK_SHIFT, VK_MENU, VK_LWIN}) {
        if (GetAsyncKeyState(vkey) < 0) Up(vkey);
    }
}

bool Pressed(const Report &r) { return static_cast<int32_t>(r.flags) >= 0; }

class Hook : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Before any SetHook, so that the library's hook comes first in the chain.
        observing = StartKeyObserver();
        commandMessage = RegisterWindowMessageA(ZT_COMMAND_NAME);
        WNDCLASSA wc;
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "HookTestWindow";
        RegisterClassA(&wc);
        window = CreateWindowA("HookTestWindow", "hook test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                               10, 200, 100, NULL, NULL, wc.hInstance, NULL);
    }
    static void TearDownTestSuite() {
        DestroyWindow(window);
        StopKeyObserver();
    }

    void SetUp() override {
        ASSERT_NE(commandMessage, 0u);
        ASSERT_NE(window, (HWND)NULL);
        ASSERT_TRUE(observing);
        SetDefaultKeyData(table);
        SetHook(window);
        CopyKeyRows(table, KEY_DATA_ROWS);
        Pump(50);
        reports.clear();
        ClearObservedKeys();
    }
    void TearDown() override {
        ReleaseModifiers();
        ResetHook();
        Pump(50);
    }

    KeyData table[KEY_DATA_ROWS];
    static bool observing;
};

bool Hook::observing = false;

TEST_F(Hook, PressAndReleaseReportedOnceEachAndTheKeySwallowed) {
    Down(VK_CONTROL);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PLAY_PAUSE));
    EXPECT_TRUE(Pressed(reports[0]));
    EXPECT_EQ(reports[1].operation, WPARAM(OP_PLAY_PAUSE));
    EXPECT_FALSE(Pressed(reports[1]));
    // Keystroke flags: scan code in bits 16-23, previous state and transition set on release.
    UINT scan = MapVirtualKeyA(VK_SPACE, MAPVK_VK_TO_VSC);
    EXPECT_EQ((reports[0].flags >> 16) & 0xFF, scan);
    EXPECT_EQ(reports[0].flags & 0xC0000000u, 0u);
    EXPECT_EQ(reports[1].flags & 0xC0000000u, 0xC0000000u);
    // Ctrl was passed on, the Space of the hot key never.
    EXPECT_GE(ObservedKeyDowns(VK_CONTROL), 1);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 0);
}

TEST_F(Hook, ModifiersMustMatchExactly) {
    // Ctrl+Shift+Space is LOOP's binding: Ctrl+Win+Space is bound to nothing.
    Down(VK_CONTROL);
    Down(VK_LWIN);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Up(VK_LWIN);
    Up(VK_CONTROL);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Down(VK_MENU);
    Down(VK_LEFT);
    Up(VK_LEFT);
    Up(VK_MENU);
    WaitForReports(0);
    EXPECT_EQ(reports.size(), 0u);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 2) << "unmatched keys are passed on";
    // The right Ctrl counts as Ctrl.
    Down(VK_RCONTROL);
    Down(VK_DOWN);
    Up(VK_DOWN);
    Up(VK_RCONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PITCH_DOWN));
    EXPECT_EQ(reports[1].operation, WPARAM(OP_PITCH_DOWN));
    EXPECT_FALSE(Pressed(reports[1]));
}

TEST_F(Hook, AutoRepeatIsQuietAndReleaseFollowsItsPress) {
    Down(VK_CONTROL);
    for (int i = 0; i < 5; ++i) Down(VK_LEFT);
    Up(VK_LEFT);
    // Ctrl let go before the key: the release still ends the FF press.
    Down(VK_RIGHT);
    Up(VK_CONTROL);
    Down(VK_RIGHT);
    Up(VK_RIGHT);
    WaitForReports(4);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_REW));
    EXPECT_TRUE(Pressed(reports[0]));
    EXPECT_EQ(reports[1].operation, WPARAM(OP_REW));
    EXPECT_FALSE(Pressed(reports[1]));
    EXPECT_EQ(reports[2].operation, WPARAM(OP_FF));
    EXPECT_TRUE(Pressed(reports[2]));
    EXPECT_EQ(reports[3].operation, WPARAM(OP_FF));
    EXPECT_FALSE(Pressed(reports[3]));
    EXPECT_EQ(ObservedKeyDowns(VK_LEFT) + ObservedKeyDowns(VK_RIGHT), 0);
}

TEST_F(Hook, MatchesItsOwnCopyOfTheRows) {
    SetKeyData(&table[0], VK_F5, 0, 0, 0, 0, 1, OP_PLAY_PAUSE);
    SetKeyData(&table[1], 0, 0, 1, 0, 0, 2, OP_STOP);
    CopyKeyData(table);
    CopyKeyData(NULL);  // ignored: the copy stays
    // Edits after the copy do not reach the library.
    SetKeyData(&table[0], VK_F6, 0, 0, 0, 0, 1, OP_PLAY_PAUSE);
    Down(VK_F6);
    Up(VK_F6);
    Down(VK_CONTROL);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Up(VK_CONTROL);
    Down(VK_F5);
    Up(VK_F5);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PLAY_PAUSE));
    EXPECT_TRUE(Pressed(reports[0]));
    EXPECT_FALSE(Pressed(reports[1]));
    EXPECT_EQ(ObservedKeyDowns(VK_F6), 1);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 1);
}

TEST_F(Hook, TheSeventhRowComesOnlyWithItsRowCount) {
    Down(VK_CONTROL);
    Down(VK_CONVERT);
    Up(VK_CONVERT);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_TIMESTAMP));
    EXPECT_TRUE(Pressed(reports[0]));
    EXPECT_EQ(reports[1].operation, WPARAM(OP_TIMESTAMP));
    EXPECT_FALSE(Pressed(reports[1]));
    EXPECT_EQ(ObservedKeyDowns(VK_CONVERT), 0);

    // A caller of CopyKeyData knows six rows: its table may end where memory ends, and the row
    // the library held beyond them is gone.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    char *pages = static_cast<char *>(
        VirtualAlloc(NULL, 2 * system.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, (char *)NULL);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old));
    KeyData *six = reinterpret_cast<KeyData *>(pages + system.dwPageSize -
                                               sizeof(KeyData) * KEY_DATA_BASE_ROWS);
    memcpy(six, table, sizeof(KeyData) * KEY_DATA_BASE_ROWS);
    CopyKeyData(six);
    VirtualFree(pages, 0, MEM_RELEASE);
    reports.clear();
    Down(VK_CONTROL);
    Down(VK_CONVERT);
    Up(VK_CONVERT);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PLAY_PAUSE));
    EXPECT_EQ(ObservedKeyDowns(VK_CONVERT), 1);

    // A count past the library's rows takes only the rows it has.
    CopyKeyRows(table, KEY_DATA_ROWS + 5);
    reports.clear();
    Down(VK_CONTROL);
    Down(VK_CONVERT);
    Up(VK_CONVERT);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_TIMESTAMP));
}

TEST_F(Hook, AltAndWinCombinationsAreMaskedSoTheirReleaseOpensNoMenu) {
    SetKeyData(&table[3], VK_F5, 0, 0, 1, 0, 4, OP_FF);
    SetKeyData(&table[4], VK_F6, 1, 0, 0, 0, 0, OP_PITCH_UP);
    CopyKeyData(table);
    Down(VK_MENU);
    Down(VK_F5);
    Up(VK_F5);
    Up(VK_MENU);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_FF));
    EXPECT_EQ(reports[1].operation, WPARAM(OP_FF));
    EXPECT_EQ(ObservedKeyDowns(VK_F5), 0);
    // Another key went by between Alt's press and release.
    EXPECT_EQ(ObservedKeyDowns(0xE8), 1);
    // Without Alt or Win nothing is added.
    reports.clear();
    Down(VK_SHIFT);
    Down(VK_F6);
    Up(VK_F6);
    Up(VK_SHIFT);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PITCH_UP));
    EXPECT_EQ(ObservedKeyDowns(0xE8), 1);
}

// The screen is locked or unlocked, or another desktop takes the input (a secure desktop),
// while hot keys are held: their releases never reach the hook. Each held press gets its
// release reported, and the next real press is reported again.
TEST_F(Hook, SessionChangeOrDesktopSwitchReleasesEveryHeldKey) {
    HWND watch = FindWindowExA(HWND_MESSAGE, NULL, DUVARORE_SESSION_CLASS, NULL);
    ASSERT_NE(watch, (HWND)NULL);
    enum { SESSION_LOCK, SESSION_UNLOCK, DESKTOP_SWITCH };
    const struct {
        const char *label;
        int change;
    } rows[] = {{"SESSION_LOCK", SESSION_LOCK},
                {"SESSION_UNLOCK", SESSION_UNLOCK},
                {"DESKTOP_SWITCH", DESKTOP_SWITCH}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        reports.clear();
        Down(VK_CONTROL);
        Down(VK_LEFT);
        Down(VK_RIGHT);
        WaitForReports(2);
        if (row.change == DESKTOP_SWITCH) {
            NotifyWinEvent(EVENT_SYSTEM_DESKTOPSWITCH, GetDesktopWindow(), OBJID_WINDOW,
                           CHILDID_SELF);
        } else {
            SendMessageA(watch, WM_WTSSESSION_CHANGE,
                         row.change == SESSION_LOCK ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, 1);
        }
        WaitForReports(4);
        ASSERT_EQ(reports.size(), 4u);
        // Released in key order: VK_LEFT before VK_RIGHT.
        EXPECT_EQ(reports[2].operation, WPARAM(OP_REW));
        EXPECT_FALSE(Pressed(reports[2]));
        EXPECT_EQ(reports[3].operation, WPARAM(OP_FF));
        EXPECT_FALSE(Pressed(reports[3]));
        // The late real releases belong to nobody; the next press is a new one.
        Up(VK_LEFT);
        Up(VK_RIGHT);
        Down(VK_RIGHT);
        Up(VK_RIGHT);
        Up(VK_CONTROL);
        WaitForReports(6);
        ASSERT_EQ(reports.size(), 6u);
        EXPECT_EQ(reports[4].operation, WPARAM(OP_FF));
        EXPECT_TRUE(Pressed(reports[4]));
        EXPECT_EQ(reports[5].operation, WPARAM(OP_FF));
        EXPECT_FALSE(Pressed(reports[5]));
    }
    // Other session news leaves held keys alone.
    reports.clear();
    Down(VK_CONTROL);
    Down(VK_SPACE);
    SendMessageA(watch, WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON, 1);
    Up(VK_SPACE);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(Pressed(reports[0]));
    EXPECT_FALSE(Pressed(reports[1]));
}

struct Typist {
    DWORD delayMs;
    volatile LONG done;
};

DWORD WINAPI TypeCtrlSpace(LPVOID param) {
    Typist *typist = static_cast<Typist *>(param);
    Sleep(typist->delayMs);
    for (WORD vkey : {WORD(VK_CONTROL), WORD(VK_SPACE)}) {
        INPUT input;
        memset(&input, 0, sizeof input);
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vkey;
        SendInput(1, &input, sizeof input);
    }
    for (WORD vkey : {WORD(VK_SPACE), WORD(VK_CONTROL)}) {
        INPUT input;
        memset(&input, 0, sizeof input);
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vkey;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
    }
    typist->done = 1;
    return 0;
}

TEST_F(Hook, KeysAreMatchedWhileTheWindowsThreadIsBusy) {
    Typist typist = {100, 0};
    DWORD busyFrom = GetTickCount();
    HANDLE thread = CreateThread(NULL, 0, TypeCtrlSpace, &typist, 0, NULL);
    ASSERT_NE(thread, (HANDLE)NULL);
    Sleep(1500);  // the window's thread handles nothing meanwhile
    DWORD busyUntil = GetTickCount();
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_TRUE(typist.done);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    // Both reports were posted while this thread slept: the hook never waited for it.
    for (const Report &r : reports) {
        EXPECT_GE(r.postedAt - busyFrom, 100u);
        EXPECT_LT(r.postedAt - busyFrom, busyUntil - busyFrom - 500)
            << "posted " << r.postedAt << " busy until " << busyUntil;
    }
}

DWORD WINAPI SwapTables(LPVOID stop) {
    KeyData tables[2][KEY_DATA_ROWS];
    SetDefaultKeyData(tables[0]);
    SetDefaultKeyData(tables[1]);
    tables[1][0].operation = OP_STOP;
    for (unsigned i = 0; !*static_cast<volatile LONG *>(stop); ++i) CopyKeyData(tables[i & 1]);
    return 0;
}

TEST_F(Hook, RowsSwappedWhileKeysArriveKeepPressAndReleaseTogether) {
    volatile LONG stop = 0;
    HANDLE swapper = CreateThread(NULL, 0, SwapTables, (LPVOID)&stop, 0, NULL);
    ASSERT_NE(swapper, (HANDLE)NULL);
    Down(VK_CONTROL);
    for (int i = 0; i < 20; ++i) {
        Down(VK_SPACE);
        Up(VK_SPACE);
    }
    Up(VK_CONTROL);
    WaitForReports(40);
    stop = 1;
    WaitForSingleObject(swapper, 5000);
    CloseHandle(swapper);
    ASSERT_EQ(reports.size(), 40u);
    for (size_t i = 0; i < reports.size(); i += 2) {
        EXPECT_TRUE(Pressed(reports[i])) << i;
        EXPECT_FALSE(Pressed(reports[i + 1])) << i;
        EXPECT_TRUE(reports[i].operation == OP_PLAY_PAUSE || reports[i].operation == OP_STOP);
        EXPECT_EQ(reports[i + 1].operation, reports[i].operation) << i;
    }
}

TEST_F(Hook, ResetEndsReportsAndTheHookCanBeSetAgain) {
    ResetHook();
    ResetHook();
    Down(VK_CONTROL);
    Down(VK_SPACE);
    Up(VK_SPACE);
    Up(VK_CONTROL);
    WaitForReports(0);
    EXPECT_EQ(reports.size(), 0u);
    EXPECT_EQ(ObservedKeyDowns(VK_SPACE), 1) << "without the hook the key is passed on";

    SetHook(window);
    SetHook(window);  // a second call only retargets
    Down(VK_CONTROL);
    Down(VK_UP);
    Up(VK_UP);
    Up(VK_CONTROL);
    WaitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].operation, WPARAM(OP_PITCH_UP));
}

}  // namespace
