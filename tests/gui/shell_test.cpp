// The real Parlomix.exe under Wine: first start without settings, the saved window rectangle,
// the single-instance rule, swallowed messages and a start without any sound device.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "input/tables.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "res/resource.h"
#include "tests/driver/sound.h"

using driver::Box;
using driver::Program;

static const char SETUP_ERROR[] = "Setup file read error.\nLoad default settings and cleate file.";

static std::string MenuText(HMENU menu, int position) {
    char text[256] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(Shell, FirstStartWritesDefaultsAndShowsTheJapaneseMenu) {
    std::string folder = driver::Install("first");
    Program p;
    std::vector<Box> boxes = driver::StartAndSettle(folder, "", &p);
    std::vector<std::string> expected = {
        "error|fopen", std::string("Parlomix ERROR|") + SETUP_ERROR, "error|fopen",
        std::string("Parlomix ERROR|") + SETUP_ERROR};
    EXPECT_EQ(driver::BoxTexts(boxes), expected);

    // The defaults are on disk at once, before any close.
    OptionData defaults;
    SetDefaultOptionData(&defaults);
    std::vector<unsigned char> opt = driver::ReadBytes(folder + "\\parlomix_opt");
    ASSERT_EQ(opt.size(), 4244u);
    EXPECT_EQ(memcmp(opt.data(), &defaults, sizeof defaults), 0);
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    std::vector<unsigned char> key = driver::ReadBytes(folder + "\\parlomix_key");
    ASSERT_EQ(key.size(), sizeof keys);
    EXPECT_EQ(memcmp(key.data(), keys, sizeof keys), 0);

    EXPECT_EQ(driver::WindowText(p.window), "Parlomix");
    EXPECT_TRUE(driver::Close(&p).empty());
    EXPECT_EQ(p.exitCode, 0);
    // A normal close rewrites both files: the same defaults, with the window's real rectangle.
    OptionData saved = driver::ReadOptions(folder);
    EXPECT_EQ(saved.pitch, 100);
    EXPECT_EQ(saved.resumePosition, 1);
    EXPECT_EQ(driver::ReadBytes(folder + "\\parlomix_key").size(), sizeof keys);
}

// parlomix_key as every earlier version wrote it: six rows, 120 bytes.
TEST(Shell, SixRowKeyFileLoadsWithoutABoxAndIsSavedWithEveryRow) {
    std::string folder = driver::Install("sixrows");
    OptionData options;
    SetDefaultOptionData(&options);
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &options, sizeof options));
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    SetKeyData(&keys[0], 0x74, 1, 0, 0, 0, 3, OP_PLAY_PAUSE);
    keys[5].reserved[1] = 0x42;
    ASSERT_TRUE(
        driver::WriteBytes(folder + "\\parlomix_key", keys, sizeof(KeyData) * KEY_DATA_BASE_ROWS));
    Program p;
    EXPECT_EQ(driver::BoxTexts(driver::StartAndSettle(folder, "", &p)), std::vector<std::string>{});
    EXPECT_EQ(driver::ReadBytes(folder + "\\parlomix_key").size(), 120u)
        << "not rewritten before the close";
    EXPECT_TRUE(driver::Close(&p).empty());
    std::vector<unsigned char> saved = driver::ReadBytes(folder + "\\parlomix_key");
    ASSERT_EQ(saved.size(), sizeof keys);
    EXPECT_EQ(memcmp(saved.data(), keys, sizeof keys), 0)
        << "the six rows as stored, the later ones from the defaults";
}

// Menus belong to the process that shows them, so the menu is read from the program's image.
TEST(Shell, MenuTextsArriveAsCodePage932) {
    std::string exe = driver::DistFolder() + "\\Parlomix.exe";
    HMODULE image = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, (HMODULE)NULL);
    HMENU menu = LoadMenuA(image, MAKEINTRESOURCEA(104));
    ASSERT_NE(menu, (HMENU)NULL);
    EXPECT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_EQ(MenuText(menu, 0), "ファイル(&F)");
    EXPECT_EQ(MenuText(menu, 1), "再生(&P)");
    EXPECT_EQ(MenuText(menu, 2), "音声(&A)");
    EXPECT_EQ(MenuText(menu, 3), "設定(&S)");
    EXPECT_EQ(MenuText(menu, 4), "ヘルプ(&H)");
    HMENU file = GetSubMenu(menu, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(MenuText(file, 0), "開く(&O)...");
    EXPECT_EQ(GetMenuItemID(file, 0), (UINT)IDM_OPEN);
    EXPECT_EQ(MenuText(file, 2), "終了(&X)");
    EXPECT_EQ(GetMenuItemID(file, 2), (UINT)IDM_EXIT);
    HMENU play = GetSubMenu(menu, 1);
    const UINT playIds[] = {IDM_PLAY_PAUSE, IDM_STOP,     IDM_REW,
                            IDM_FF,         IDM_PITCH_UP, IDM_PITCH_DOWN};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GetMenuItemID(play, i), playIds[i]);
    EXPECT_EQ(MenuText(play, 0), "PLAY/PAUSE(&P)");
    const struct {
        int at;
        const char *text;
        UINT id;
    } sound[] = {{0, "音量の自動調整", IDM_AUTO_GAIN}, {1, "ノイズ除去", IDM_NOISE_REDUCTION},
                 {2, "低音カット", IDM_LOW_CUT},       {4, "左右とも", IDM_CHANNEL_BOTH},
                 {5, "左のみ", IDM_CHANNEL_LEFT},      {6, "右のみ", IDM_CHANNEL_RIGHT}};
    for (const auto &item : sound) {
        EXPECT_EQ(MenuText(GetSubMenu(menu, 2), item.at), item.text);
        EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 2), item.at), item.id);
    }
    EXPECT_EQ(MenuText(GetSubMenu(menu, 3), 0), "操作設定(&S)...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 3), 0), (UINT)IDM_OPERATION_SETTINGS);
    EXPECT_EQ(MenuText(GetSubMenu(menu, 3), 3), "波形を表示(&W)");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 3), 3), (UINT)IDM_VIEW_OUTLINE);
    EXPECT_EQ(MenuText(GetSubMenu(menu, 4), 0), "ヘルプ(&H)\tF1");
    EXPECT_EQ(MenuText(GetSubMenu(menu, 4), 1), "バージョン情報(&A)...");
    char title[32] = "";
    EXPECT_GT(LoadStringA(image, 124, title, sizeof title), 0);
    EXPECT_STREQ(title, "Parlomix");
    DestroyMenu(menu);
    FreeLibrary(image);
}

TEST(Shell, CloseAndRestartKeepsAMovedWindowRectangle) {
    std::string folder = driver::Install("rectangle");
    Program p;
    driver::StartAndSettle(folder, "", &p);
    ASSERT_TRUE(MoveWindow(p.window, 120, 90, 333, 222, TRUE));
    driver::Sleep(200);
    // The rectangle the window really took (without a window manager Wine may trim the size).
    WINDOWPLACEMENT moved = {};
    moved.length = sizeof moved;
    ASSERT_TRUE(GetWindowPlacement(p.window, &moved));
    EXPECT_EQ(moved.rcNormalPosition.left, 120);
    EXPECT_EQ(moved.rcNormalPosition.top, 90);
    EXPECT_TRUE(driver::Close(&p).empty());
    OptionData saved = driver::ReadOptions(folder);
    EXPECT_EQ(saved.windowLeft, moved.rcNormalPosition.left);
    EXPECT_EQ(saved.windowTop, moved.rcNormalPosition.top);
    EXPECT_EQ(saved.windowRight, moved.rcNormalPosition.right);
    EXPECT_EQ(saved.windowBottom, moved.rcNormalPosition.bottom);
    EXPECT_NE(saved.windowRight, 260);  // not the default any more

    // The next start comes back in exactly that rectangle, and so does the next close.
    Program again;
    EXPECT_TRUE(driver::StartAndSettle(folder, "", &again).empty());
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(again.window, &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, saved.windowLeft);
    EXPECT_EQ(placement.rcNormalPosition.top, saved.windowTop);
    EXPECT_EQ(placement.rcNormalPosition.right, saved.windowRight);
    EXPECT_EQ(placement.rcNormalPosition.bottom, saved.windowBottom);
    EXPECT_TRUE(driver::Close(&again).empty());
    OptionData savedAgain = driver::ReadOptions(folder);
    EXPECT_EQ(savedAgain.windowRight, saved.windowRight);
    EXPECT_EQ(savedAgain.windowBottom, saved.windowBottom);
}

TEST(Shell, SecondStartHandsOverAndEnds) {
    std::string folder = driver::Install("single");
    Program first;
    driver::StartAndSettle(folder, "", &first);

    // Without a file: the second start ends at once and nothing happens in the first.
    Program second;
    ASSERT_TRUE(driver::Start(folder, "", &second));
    EXPECT_EQ(driver::WaitForExit(&second, 10000), 0);
    Box box;
    EXPECT_FALSE(driver::WaitForBox(first.process.dwProcessId, &box, 1000));

    // With a file: the first instance takes it from the shared record and tries to open it.
    Program third;
    ASSERT_TRUE(
        driver::Start(folder, "\"C:\\no such folder\\missing take.wav\" ignored.wav", &third));
    EXPECT_EQ(driver::WaitForExit(&third, 10000), 0);
    ASSERT_TRUE(driver::WaitForBox(first.process.dwProcessId, &box, 10000));
    EXPECT_EQ(box.title + "|" + box.text, "error|vbmp3_open error");
    driver::AnswerBox(box);
    EXPECT_EQ(driver::WindowText(first.window), "Parlomix");
    EXPECT_TRUE(driver::Close(&first).empty());
}

TEST(Shell, APathTooLongForTheSharedRecordIsRefusedNotCutAndTheUserIsTold) {
    std::string folder = driver::Install("longpath");
    driver::WriteDefaultSettings(folder);
    std::string path = "C:\\" + std::string(300, 'a') + ".wav";
    const std::vector<std::string> told = {"Parlomix ERROR|File path too long"};
    driver::Running first;
    Program &p = first.program;
    // Cut to 259 characters it would name another file; nothing is opened and nothing breaks.
    EXPECT_EQ(driver::BoxTexts(driver::StartAndSettle(folder, "\"" + path + "\"", &p)), told);
    EXPECT_EQ(driver::WindowText(p.window), "Parlomix");

    // A second start tells the user itself, before it ends; the first shows nothing.
    driver::Running second;
    ASSERT_TRUE(driver::Start(folder, "\"" + path + "\"", &second.program));
    Box box;
    ASSERT_TRUE(driver::WaitForBox(second.program.process.dwProcessId, &box));
    EXPECT_EQ(driver::BoxTexts({box}), told);
    driver::AnswerBox(box);
    EXPECT_EQ(driver::WaitForExit(&second.program, 10000), 0);
    EXPECT_FALSE(driver::WaitForBox(p.process.dwProcessId, &box, 1000));
    EXPECT_TRUE(driver::Close(&p).empty());
    EXPECT_EQ(driver::ReadOptions(folder).historyCount, 0);
}

// Sets the system DPI for the programs started from now on; puts 96 back at the end.
struct SystemDpi {
    explicit SystemDpi(DWORD dpi) { Set(dpi); }
    ~SystemDpi() { Set(96); }
    static void Set(DWORD dpi) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, NULL, 0, KEY_SET_VALUE,
                            NULL, &key, NULL) != ERROR_SUCCESS)
            return;
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE *)&dpi, sizeof dpi);
        RegCloseKey(key);
    }
};

// The default rectangle follows the DPI and grows by the outline band, whose height follows the
// font; every control lies inside the client area.
TEST(Shell, TheFirstWindowAtEachDpiShowsEveryControlAndAUsersRectangleStays) {
    const struct {
        DWORD dpi;
        LONG right, bottom;  // the default rectangle scaled, without the band
    } rows[] = {{96, 260, 162}, {120, 325, 203}, {144, 390, 243}, {192, 520, 324}};
    std::string folder;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.dpi);
        folder = driver::Install("dpi" + std::to_string(row.dpi));
        driver::WriteDefaultSettings(folder);
        SystemDpi dpi(row.dpi);
        driver::Running first;
        EXPECT_TRUE(driver::StartAndSettle(folder, "", &first.program).empty());
        HWND window = first.program.window;
        ASSERT_NE(window, (HWND)NULL);
        RECT normal = driver::NormalRect(window), band;
        GetClientRect(GetDlgItem(window, IDC_OUTLINE), &band);
        EXPECT_GT(band.bottom, 0);
        EXPECT_EQ(normal.left, 0);
        EXPECT_EQ(normal.top, 0);
        EXPECT_EQ(normal.right, row.right);
        // Nothing is cut off: the controls, which grow with the font, lie inside the client area,
        // the window growing further where the menu bar takes a second line.
        EXPECT_GE(normal.bottom, row.bottom + band.bottom);
        RECT client;
        GetClientRect(window, &client);
        for (int id :
             {IDC_PLAY_MODE, IDC_ALWAYS_TOP, IDC_PITCH_BOX, IDC_STEP_UPDOWN, IDC_OUTLINE}) {
            RECT control;
            GetWindowRect(GetDlgItem(window, id), &control);
            MapWindowPoints(NULL, window, (POINT *)&control, 2);
            EXPECT_LE(control.bottom, client.bottom) << id;
            EXPECT_LE(control.right, client.right) << id;
        }
        EXPECT_TRUE(driver::Close(&first.program).empty());
    }

    // A rectangle the user made taller than the default and the band is kept as it is.
    SystemDpi dpi(192);
    OptionData options = driver::ReadOptions(folder);
    options.windowLeft = 30, options.windowTop = 40, options.windowRight = 330;
    options.windowBottom = 640;
    ASSERT_TRUE(driver::WriteSettings(folder, options));
    driver::Running again;
    EXPECT_TRUE(driver::StartAndSettle(folder, "", &again.program).empty());
    RECT normal = driver::NormalRect(again.program.window);
    EXPECT_EQ(normal.left, 30);
    EXPECT_EQ(normal.top, 40);
    EXPECT_EQ(normal.right, 330);
    EXPECT_EQ(normal.bottom, 640);
    EXPECT_TRUE(driver::Close(&again.program).empty());
}

TEST(Shell, UnknownCommandsTimersAndScrollsAreSwallowed) {
    std::string folder = driver::Install("swallow");
    Program p;
    driver::StartAndSettle(folder, "", &p);
    for (WPARAM id : {0u, 1u, 12345u, 40099u, 40101u, 40999u, 41008u, 41999u, 65535u})
        EXPECT_EQ(driver::Send(p.window, WM_COMMAND, id, 0), 0) << id;
    for (WPARAM id : {0u, 6u, 99u, 65536u}) EXPECT_EQ(driver::Send(p.window, WM_TIMER, id, 0), 0);
    HWND stranger = GetDesktopWindow();
    EXPECT_EQ(driver::Send(p.window, WM_VSCROLL, SB_LINEUP, (LPARAM)stranger), 0);
    EXPECT_EQ(driver::Send(p.window, WM_VSCROLL, SB_LINEUP, 0), 0);
    Box box;
    EXPECT_FALSE(driver::WaitForBox(p.process.dwProcessId, &box, 500));
    EXPECT_EQ(WaitForSingleObject(p.process.hProcess, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_TRUE(driver::Close(&p).empty());
}

TEST(Shell, DamagedOptionsFileIsRepairedNotTrusted) {
    std::string folder = driver::Install("damaged");
    OptionData o;
    for (size_t i = 0; i < sizeof o; ++i) ((unsigned char *)&o)[i] = (unsigned char)(0xA0 + i % 37);
    o.historyCount = 1000000;
    o.windowLeft = 10, o.windowTop = 10, o.windowRight = 300, o.windowBottom = 200;
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &o, sizeof o));
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_key", keys, sizeof keys));
    Program p;
    EXPECT_TRUE(driver::StartAndSettle(folder, "", &p).empty());
    EXPECT_TRUE(driver::Close(&p).empty());
    OptionData saved = driver::ReadOptions(folder);
    EXPECT_EQ(saved.historyCount, 8);
    EXPECT_GE(saved.pitch, 50);
    EXPECT_LE(saved.pitch, 300);
    EXPECT_GE(saved.pitchStep, 1);
    EXPECT_LE(saved.pitchStep, 250);
}

// A Western system (code page 1252), where é is one byte that code page 932 would read as the
// lead byte of a double-byte character: the settings stay beside the program in "Café", and a
// file in "dé" is named by its own name. This test process runs with en_US.UTF-8 (the
// shell_western_test entry), and the program it starts inherits that code page.
TEST(Western, PathsAreSplitInTheActiveCodePage) {
    ASSERT_EQ(GetACP(), 1252u);
    std::string parent = driver::Install("western");
    std::string folder = parent + "\\Caf\xe9";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    for (const char *file : {"Parlomix.exe", "vbmp3.dll", "duvarore.dll"}) {
        ASSERT_TRUE(
            CopyFileA((parent + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE));
    }
    std::string recordings = folder + "\\d\xe9";
    ASSERT_TRUE(CreateDirectoryA(recordings.c_str(), NULL));
    ASSERT_TRUE(driver::WriteToneFile(recordings + "\\memo.wav", 3));

    Program first;
    std::vector<Box> boxes = driver::StartAndSettle(folder, "", &first);
    EXPECT_EQ(boxes.size(), 4u) << "the first start's notices about missing settings";
    EXPECT_TRUE(driver::FileExists(folder + "\\parlomix_opt"));
    EXPECT_TRUE(driver::FileExists(folder + "\\parlomix_key"));
    EXPECT_FALSE(driver::FileExists(parent + "\\parlomix_opt")) << "written one folder up";
    EXPECT_TRUE(driver::Close(&first).empty());

    Program second;
    EXPECT_TRUE(
        driver::StartAndSettle(folder, "\"" + recordings + "\\memo.wav\"", &second).empty());
    ASSERT_NE(second.window, (HWND)NULL);
    EXPECT_EQ(driver::WindowText(second.window), "memo.wav - Parlomix");
    EXPECT_TRUE(driver::Close(&second).empty());
    EXPECT_FALSE(driver::FileExists(parent + "\\parlomix_opt"));
}

// Run by CTest with a HOME that gives Wine no sound device: the program works as ever, only
// nothing can be heard, and what it stored survives.
TEST(NoSound, TheWindowIsWholeAndTheStoredHistorySurvives) {
    std::string folder = driver::Install("nosound");
    OptionData o;
    SetDefaultOptionData(&o);
    o.windowLeft = 40, o.windowTop = 50, o.windowRight = 340, o.windowBottom = 250;
    o.historyCount = 2;
    strcpy(o.history[0].path, "C:\\rec\\one.wav");
    strcpy(o.history[0].name, "one.wav");
    o.history[0].position = 61;
    strcpy(o.history[1].path, "C:\\rec\\two.mp3");
    strcpy(o.history[1].name, "two.mp3");
    o.history[1].position = 3725;
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &o, sizeof o));
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_key", keys, sizeof keys));

    Program p;
    std::vector<Box> boxes = driver::StartAndSettle(folder, "", &p);
    EXPECT_EQ(driver::BoxTexts(boxes), std::vector<std::string>{});
    EXPECT_NE(GetDlgItem(p.window, 1), (HWND)NULL);
    EXPECT_TRUE(driver::Close(&p).empty());
    OptionData saved = driver::ReadOptions(folder);
    ASSERT_EQ(saved.historyCount, 2);
    EXPECT_STREQ(saved.history[0].path, o.history[0].path);
    EXPECT_EQ(saved.history[0].position, 61);
    EXPECT_EQ(saved.history[1].position, 3725);
}
