// A small command for scripts that drive Parlomix on a Wine virtual desktop:
//   poke DESKTOP wait    waits until the main window is up (exit 0) or 15 s pass (exit 1)
//   poke DESKTOP play    PLAY/PAUSE from the Play menu
//   poke DESKTOP thumb   prints the seek bar's position
//   poke DESKTOP title   prints the main window's title
//   poke DESKTOP boxes   answers the message boxes shown on the desktop, printing their texts;
//                        exit 1 when there was one
//   poke DESKTOP close   the close request; waits until the window is gone
//   poke - settings FOLDER WIDTH HEIGHT   writes default settings with that window size
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "res/resource.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"

static BOOL CALLBACK FindMain(HWND window, LPARAM found) {
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "Parlomix") == 0) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND MainWindow(HDESK desktop) {
    HWND found = NULL;
    EnumDesktopWindows(desktop, FindMain, (LPARAM)&found);
    return found;
}

// A message box: a visible dialog whose static text has the id 0xFFFF.
static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) &&
        GetDlgItem(window, 0xFFFF) != NULL) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

// Answers every box that shows within a second of the last one; returns how many there were.
static int AnswerBoxes(HDESK desktop) {
    int answered = 0;
    for (int quiet = 0; quiet < 20; ++quiet) {
        HWND box = NULL;
        EnumDesktopWindows(desktop, FindBox, (LPARAM)&box);
        if (!box) {
            Sleep(50);
            continue;
        }
        printf("%s: %s\n", driver::WindowText(box).c_str(),
               driver::WindowText(GetDlgItem(box, 0xFFFF)).c_str());
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
        for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(20);
        ++answered;
        quiet = 0;
    }
    return answered;
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: poke DESKTOP wait|play|thumb|title|boxes|close\n");
        return 2;
    }
    if (strcmp(argv[2], "settings") == 0 && argc >= 6) {
        OptionData options;
        SetDefaultOptionData(&options);
        options.windowRight = atoi(argv[4]);
        options.windowBottom = atoi(argv[5]);
        return driver::WriteSettings(argv[3], options) ? 0 : 1;
    }
    HDESK desktop = NULL;
    HWND window = NULL;
    for (int i = 0; i < 300 && !window; ++i) {
        if (!desktop)
            desktop = OpenDesktopA(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
        if (desktop) window = MainWindow(desktop);
        if (!window) Sleep(50);
    }
    if (!window) return 1;
    if (strcmp(argv[2], "boxes") == 0) {
        return AnswerBoxes(desktop) > 0 ? 1 : 0;
    } else if (strcmp(argv[2], "title") == 0) {
        printf("%s\n", driver::WindowText(window).c_str());
    } else if (strcmp(argv[2], "thumb") == 0) {
        printf("%ld\n", (long)driver::Thumb(window));
    } else if (strcmp(argv[2], "play") == 0) {
        SendMessageA(window, WM_COMMAND, IDM_PLAY_PAUSE, 0);
    } else if (strcmp(argv[2], "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        for (int i = 0; i < 200 && IsWindow(window); ++i) Sleep(50);
        return IsWindow(window) ? 1 : 0;
    }
    return 0;
}
