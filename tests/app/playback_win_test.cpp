// The window side of playback and history in one process: the File menu's history block, the
// delete question, dropped files, the Open dialog, a failed open and the timer and menu
// handlers, each against real windows, menus and boxes under Wine.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/history_menu.h"
#include "app/open_file.h"
#include "app/playback_bind.h"
#include "app/playback_win.h"
#include "app/records.h"
#include "playback/open_sequence.h"
#include "res/resource.h"
#include "settings/history.h"

namespace {

const char CLASS_NAME[] = "PlaybackWinTest";
const UINT TEST_COMMAND = WM_APP + 7;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TEST_COMMAND || message == WM_PITCH_CHANGED) {
        received.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A main window with the File menu's three fixed items, "開く(&O)...", a separator, "終了(&X)".
HWND CreateTestWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = CLASS_NAME;
        RegisterClassA(&windowClass);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        registered = true;
    }
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_OPEN, "開く(&O)...");
    AppendMenuA(file, MF_SEPARATOR, 0, NULL);
    AppendMenuA(file, MF_STRING, IDM_EXIT, "終了(&X)");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "ファイル(&F)");
    return CreateWindowA(CLASS_NAME, "test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, bar,
                         GetModuleHandleA(NULL), NULL);
}

HMENU FileMenu(HWND window) { return GetSubMenu(GetMenu(window), 0); }

struct Item {
    bool separator;
    UINT id;
    std::string text;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[400] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({(info.fType & MFT_SEPARATOR) != 0, info.wID, text});
    }
    return items;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

// A dialog window of this process that another thread shows while the test waits in a modal
// call: found by polling, read, then answered with a button.
struct Dialog {
    HWND window = NULL;
    std::string title;
    std::string text;
    bool hasCancel = false;
    HICON icon = NULL;
};

BOOL CALLBACK FindDialogOfProcess(HWND window, LPARAM result) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == GetCurrentProcessId() && strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND *>(result) = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND found = NULL;
        EnumWindows(FindDialogOfProcess, (LPARAM)&found);
        if (found != NULL) {
            return found;
        }
        Sleep(50);
    }
    return NULL;
}

// The button with `id`: in the Open dialog the file list shares the id 1 with the OK button.
HWND FindButton(HWND dialog, int id) {
    for (HWND child = FindWindowExA(dialog, NULL, "Button", NULL); child != NULL;
         child = FindWindowExA(dialog, child, "Button", NULL)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return NULL;
}

// Answers the first dialog that appears with `button`, after `prepare` ran on it.
template <typename Prepare>
std::thread Answer(Dialog *seen, int button, Prepare prepare) {
    return std::thread([seen, button, prepare]() {
        // A dialog that is still being built (or one of an earlier test still going away) has
        // no title yet: wait for one that has.
        HWND box = NULL;
        char text[512] = {};
        for (DWORD waited = 0; waited < 10000 && text[0] == '\0'; waited += 50) {
            box = WaitForDialog(10000);
            if (box == NULL) {
                return;
            }
            Sleep(50);
            GetWindowTextA(box, text, sizeof text);
        }
        Sleep(150);  // let the dialog finish its initialisation
        seen->window = box;
        seen->title = text;
        memset(text, 0, sizeof text);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen->text = text;
        seen->hasCancel = GetDlgItem(box, IDCANCEL) != NULL;
        for (int iconId : {20, 0x440}) {
            HWND iconControl = GetDlgItem(box, iconId);
            if (iconControl != NULL && IsWindowVisible(iconControl)) {
                seen->icon = (HICON)SendMessageA(iconControl, STM_GETICON, 0, 0);
            }
        }
        prepare(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     (LPARAM)FindButton(box, button));
    });
}

std::thread Answer(Dialog *seen, int button) {
    return Answer(seen, button, [](HWND) {});
}

OptionData StoredHistory(int32_t count) {
    OptionData options;
    SetDefaultOptionData(&options);
    options.historyCount = count;
    for (int i = 0; i < count; ++i) {
        snprintf(options.history[i].path, FILE_SPEC_TEXT, "C:\\録音\\file%d.wav", i);
        snprintf(options.history[i].name, FILE_SPEC_TEXT, "file%d.wav", i);
        options.history[i].position = 3600 * i + 61;
    }
    return options;
}

struct PlaybackWin : ::testing::Test {
    HWND window = NULL;
    void SetUp() override {
        ResetHistory();
        received.clear();
        window = CreateTestWindow();
        ASSERT_NE((HWND)NULL, window);
    }
    void TearDown() override { DestroyWindow(window); }
};

TEST_F(PlaybackWin, HistoryBlockFollowsTheFixedItems) {
    OptionData options = StoredHistory(3);
    LoadHistory(window, &options);
    std::vector<Item> items = Items(FileMenu(window));
    ASSERT_EQ(9u, items.size());
    EXPECT_EQ((UINT)IDM_EXIT, items[2].id);
    EXPECT_TRUE(items[3].separator);
    EXPECT_EQ((UINT)IDM_HISTORY_FIRST, items[4].id);
    EXPECT_EQ("C:\\録音\\file0.wav \t00:01:01", items[4].text);
    EXPECT_EQ(41001u, items[5].id);
    EXPECT_EQ("C:\\録音\\file1.wav \t01:01:01", items[5].text);
    EXPECT_EQ(41002u, items[6].id);
    EXPECT_EQ("C:\\録音\\file2.wav \t02:01:01", items[6].text);
    EXPECT_TRUE(items[7].separator);
    EXPECT_EQ((UINT)IDM_HISTORY_DELETE, items[8].id);
    EXPECT_EQ("履歴削除(&D)", items[8].text);

    // A new file rebuilds the block rather than adding a second one.
    FileSpec file = {};
    strcpy(file.path, "C:\\new.wav");
    strcpy(file.name, "new.wav");
    AddToHistory(window, file);
    items = Items(FileMenu(window));
    ASSERT_EQ(10u, items.size());
    EXPECT_EQ("C:\\new.wav \t00:00:00", items[4].text);
    EXPECT_EQ(41003u, items[7].id);
    EXPECT_EQ("C:\\録音\\file2.wav \t02:01:01", items[7].text);

    RemoveHistoryMenu(window);
    EXPECT_EQ(3, GetMenuItemCount(FileMenu(window)));
    EXPECT_EQ(4, playHistoryCount);
}

TEST_F(PlaybackWin, EmptyStoredHistoryLeavesTheMenuAlone) {
    OptionData options = StoredHistory(0);
    LoadHistory(window, &options);
    EXPECT_TRUE(HistoryLoaded());
    EXPECT_EQ(3, GetMenuItemCount(FileMenu(window)));
    BuildHistoryMenu(window);
    EXPECT_EQ(3, GetMenuItemCount(FileMenu(window)));
}

TEST_F(PlaybackWin, DeleteAsksFirstAndOnlyOkEmptiesTheList) {
    OptionData options = StoredHistory(2);
    LoadHistory(window, &options);

    Dialog seen;
    std::thread answer = Answer(&seen, IDCANCEL);
    EXPECT_EQ(IDCANCEL, OnHistoryDeleteCommand(window));
    answer.join();
    EXPECT_EQ("確認", seen.title);
    EXPECT_EQ("履歴を削除してよろしいですか？", seen.text);
    EXPECT_TRUE(seen.hasCancel);
    EXPECT_EQ(LoadIconA(NULL, IDI_QUESTION), seen.icon);
    EXPECT_EQ(2, playHistoryCount);
    EXPECT_EQ(8, GetMenuItemCount(FileMenu(window)));

    Dialog again;
    answer = Answer(&again, IDOK);
    EXPECT_EQ(IDOK, OnHistoryDeleteCommand(window));
    answer.join();
    EXPECT_EQ(0, playHistoryCount);
    EXPECT_EQ(3, GetMenuItemCount(FileMenu(window)));
    StoreHistory(&options);
    EXPECT_EQ(0, options.historyCount);
}

// A drop handle as the shell builds it: DROPFILES, then NUL-terminated paths and a final NUL.
HDROP MakeDrop(const std::vector<std::string> &paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string &path : paths) {
        size += path.size() + 1;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    char *bytes = static_cast<char *>(GlobalLock(memory));
    DROPFILES *header = reinterpret_cast<DROPFILES *>(bytes);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char *at = bytes + sizeof(DROPFILES);
    for (const std::string &path : paths) {
        memcpy(at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    GlobalUnlock(memory);
    return (HDROP)memory;
}

TEST(DroppedFiles, OnlyTheFirstIsTakenAndTheDropIsReleased) {
    HDROP drop = MakeDrop({"C:\\会議\\一番目.mp3", "C:\\two.wav", "C:\\three.wav"});
    FileSpec file;
    memset(&file, 'x', sizeof file);
    EXPECT_EQ(1, TakeDroppedFile(NULL, drop, &file));
    EXPECT_STREQ("C:\\会議\\一番目.mp3", file.path);
    EXPECT_STREQ("一番目.mp3", file.name);
    EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, GlobalFlags(drop));
}

TEST(DroppedFiles, AnEmptyDropLeavesTheFileAlone) {
    HDROP drop = MakeDrop({});
    FileSpec file = {};
    strcpy(file.path, "C:\\kept.wav");
    EXPECT_EQ(0, TakeDroppedFile(NULL, drop, &file));
    EXPECT_STREQ("C:\\kept.wav", file.path);
    EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, GlobalFlags(drop));
}

std::string WorkFolder() {
    const char *work = getenv("PARLOMIX_WORK");
    std::string folder = "Z:";
    folder += work != nullptr ? work : "/tmp/playback_win_test";
    for (char &c : folder) {
        if (c == '/') {
            c = '\\';
        }
    }
    SHCreateDirectoryExA(NULL, folder.c_str(), NULL);
    return folder;
}

// What the shell hands over on any system: Unicode paths. A name that the code page cannot hold
// keeps its real path, and its stored form still names the file.
TEST(DroppedFiles, AUnicodePathKeepsItsRealNameAndAStoredFormThatOpens) {
    std::wstring name = L"\u2615 \u00e9t\u00e9.wav";
    wchar_t folder[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, WorkFolder().c_str(), -1, folder, MAX_PATH);
    std::wstring path = std::wstring(folder) + L"\\" + name;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    DROPFILES *header = static_cast<DROPFILES *>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(header + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    FileSpec file;
    ASSERT_EQ(1, TakeDroppedFile(NULL, (HDROP)memory, &file));
    EXPECT_EQ(path, file.widePath);
    EXPECT_EQ(name, file.wideName);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.path)) << file.path;
}

TEST_F(PlaybackWin, OpenDialogStartsAtTheCurrentFileAndOffersTheAudioFilter) {
    std::string path = WorkFolder() + "\\chosen.wav";
    HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, created);
    CloseHandle(created);

    FileSpec file = {};
    strcpy(file.path, path.c_str());
    std::vector<std::string> filters;
    Dialog seen;
    std::thread answer = Answer(&seen, IDOK, [&filters](HWND dialog) {
        HWND types = GetDlgItem(dialog, 0x470);  // the file type list
        int count = (int)SendMessageA(types, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(types, CB_GETLBTEXT, i, (LPARAM)text);
            filters.push_back(text);
        }
    });
    EXPECT_NE(0, ChooseAudioFile(window, &file));
    answer.join();
    EXPECT_STRCASEEQ(path.c_str(), file.path);
    EXPECT_STREQ("chosen.wav", file.name);
    ASSERT_EQ(3u, filters.size());
    EXPECT_EQ("すべての録音ファイル (*.wav;*.mp3;*.m4a;*.mp4;*.mov;*.wma;*.flac;*.ogg;*.opus)",
              filters[0]);
    EXPECT_EQ("オーディオファイル (*.wav;*.mp3)", filters[1]);
    EXPECT_EQ("すべてのファイル (*.*)", filters[2]);

    Dialog cancelled;
    answer = Answer(&cancelled, IDCANCEL);
    FileSpec before = file;
    EXPECT_EQ(0, ChooseAudioFile(window, &file));
    answer.join();
    EXPECT_STREQ(before.path, file.path);
}

TEST_F(PlaybackWin, FailedOpenShowsItsBoxAndLeavesNoFileAndTheHistory) {
    strcpy(appTitle, "Parlomix");
    OptionData options = StoredHistory(2);
    LoadHistory(window, &options);
    HWND seekBar = CreateWindowA(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, window,
                                 (HMENU)1, GetModuleHandleA(NULL), NULL);
    SendMessageA(seekBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 500));
    SendMessageA(seekBar, TBM_SETPOS, TRUE, 77);
    SetWindowTextA(window, "old.wav - Parlomix");
    HistoryEntry before[HISTORY_LIST_SLOTS];
    memcpy(before, playHistory, sizeof before);

    PlayState playState;
    memset(&playState, 0x11, sizeof playState);
    bool fileOpen = false;
    FileSpec file = {};
    strcpy(file.path, (WorkFolder() + "\\missing.wav").c_str());
    strcpy(file.name, "missing.wav");
    Layout layout = {};
    layout.rects[LAYOUT_STATUS] = {0, 0, 200, 20};
    PlaybackPort port;
    PlaybackWindow binding;
    BindPlaybackPort(&port, &binding, window, seekBar, &layout);
    RepeatTimers repeats = {};

    Dialog seen;
    std::thread answer = Answer(&seen, IDOK);
    OpenFileSequence(&port, &repeats, &fileOpen, &playState, &file, &options);
    answer.join();

    EXPECT_EQ("error", seen.title);
    EXPECT_EQ("vbmp3_open error", seen.text);
    EXPECT_FALSE(seen.hasCancel);
    EXPECT_EQ((HICON)NULL, seen.icon);
    EXPECT_FALSE(fileOpen);
    PlayState zero = {};
    EXPECT_EQ(0, memcmp(&zero, &playState, sizeof playState));
    char title[300] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Parlomix", title);
    EXPECT_EQ(0, SendMessageA(seekBar, TBM_GETPOS, 0, 0));
    EXPECT_EQ(0, SendMessageA(seekBar, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(0, memcmp(before, playHistory, sizeof before));
    EXPECT_EQ(2, playHistoryCount);
    EXPECT_EQ(8, GetMenuItemCount(FileMenu(window)));
}

TEST_F(PlaybackWin, RepeatTicksSendTheirOperationBeforeReturning) {
    const UINT_PTR timers[] = {TIMER_REW_REPEAT, TIMER_FF_REPEAT, TIMER_PITCH_UP_REPEAT,
                               TIMER_PITCH_DOWN_REPEAT};
    const WPARAM operations[] = {OP_REW, OP_FF, OP_PITCH_UP, OP_PITCH_DOWN};
    for (int i = 0; i < REPEAT_TIMER_COUNT; ++i) {
        received.clear();
        EXPECT_TRUE(OnRepeatTimer(window, timers[i], TEST_COMMAND));
        ASSERT_EQ(1u, received.size());
        EXPECT_EQ(operations[i], received[0].wParam);
        EXPECT_EQ(0, received[0].lParam);
    }
    received.clear();
    EXPECT_FALSE(OnRepeatTimer(window, TIMER_REFRESH, TEST_COMMAND));
    EXPECT_FALSE(OnRepeatTimer(window, TIMER_PITCH_DOWN_REPEAT + 1, TEST_COMMAND));
    EXPECT_TRUE(received.empty());
}

TEST_F(PlaybackWin, WithoutAFileOperationsAndTheSeekBarDoNothing) {
    OptionData options;
    SetDefaultOptionData(&options);
    PlayState playState = {};
    playState.position = 9;
    HWND seekBar = CreateWindowA(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, window,
                                 (HMENU)1, GetModuleHandleA(NULL), NULL);
    Layout layout = {};
    PlaybackPort port;
    PlaybackWindow binding;
    BindPlaybackPort(&port, &binding, window, seekBar, &layout);
    RepeatTimers repeats = {};
    for (int32_t operation = OP_PLAY_PAUSE; operation <= OP_INVALID; ++operation) {
        EXPECT_EQ(0, RunOperation(&port, &repeats, false, operation, &playState, &options));
    }
    // A timer started by mistake would be there to kill.
    for (UINT_PTR id = TIMER_REFRESH; id <= TIMER_PITCH_DOWN_REPEAT; ++id) {
        EXPECT_FALSE(KillTimer(window, id)) << id;
    }
    PumpMessages();
    EXPECT_TRUE(received.empty());

    SendMessageA(seekBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 500));
    SendMessageA(seekBar, TBM_SETPOS, TRUE, 300);
    OnSeekBarScroll(&port, TB_THUMBPOSITION, false, &playState);
    EXPECT_EQ(0, SendMessageA(seekBar, TBM_GETPOS, 0, 0));

    EXPECT_TRUE(OnPlayMenuCommand(&port, &repeats, IDM_FF, false, &playState, &options));
    EXPECT_FALSE(OnPlayMenuCommand(&port, &repeats, IDM_OPEN, false, &playState, &options));
    EXPECT_EQ(9, playState.position);
}

}  // namespace
