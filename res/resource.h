// Resource and command ids of Parlomix: menus, accelerators, dialogs, icon, strings, the main
// window's controls, timers and private messages, and the controls of the two settings dialogs.
#ifndef PARLOMIX_RESOURCE_H
#define PARLOMIX_RESOURCE_H

#define IDD_OPERATION_SETTINGS 103
#define IDR_MAIN_MENU 104
#define IDR_ACCELERATORS 107
#define IDI_PARLOMIX 114
#define IDD_ASSIGNMENT 119
#define IDD_ABOUT 123
#define IDD_GOTO 130
#define IDD_TEXT_SETTINGS 131
#define IDS_APP_TITLE 124

#define IDM_EXIT 40005
#define IDM_ABOUT 40006
#define IDM_HELP 40010
#define IDM_OPEN 40015
#define IDM_PLAY_PAUSE 40020
#define IDM_STOP 40021
#define IDM_REW 40022
#define IDM_FF 40023
#define IDM_PITCH_UP 40026
#define IDM_PITCH_DOWN 40027
#define IDM_OPERATION_SETTINGS 40030
#define IDM_JUMP 40040
#define IDM_LOOP 40041
#define IDM_GOTO 40042
#define IDM_TEXT_SETTINGS 40043
#define IDM_VIEW_OUTLINE 40050
// The 音声 menu: three check items, then the channel's radio items in the library's order.
#define IDM_AUTO_GAIN 40060
#define IDM_NOISE_REDUCTION 40061
#define IDM_LOW_CUT 40062
#define IDM_CHANNEL_BOTH 40063
#define IDM_CHANNEL_LEFT 40064
#define IDM_CHANNEL_RIGHT 40065
#define IDM_HISTORY_DELETE 40100
// The history's items take the ids from IDM_HISTORY_FIRST on, one per slot (HISTORY_SLOTS).
#define IDM_HISTORY_FIRST 41000

// The main window's child controls
#define IDC_SEEK_BAR 1
#define IDC_ALWAYS_TOP 2
#define IDC_PLAY_MODE 3
#define IDC_REV_UPDOWN 4
#define IDC_REV_BOX 5
#define IDC_PITCH_UPDOWN 6
#define IDC_PITCH_BOX 7
#define IDC_STEP_UPDOWN 8
#define IDC_STEP_BOX 9
#define IDC_OUTLINE 10

// The main window's timers. The refresh runs while a file plays; the four repeats, consecutive
// from TIMER_REW_REPEAT to TIMER_PITCH_DOWN_REPEAT, while a REW, FF or pitch binding is held; the
// time stamp's poll while typed stamps wait for the modifier keys to be let go.
#define TIMER_REFRESH 1
#define TIMER_REW_REPEAT 2
#define TIMER_FF_REPEAT 3
#define TIMER_PITCH_UP_REPEAT 4
#define TIMER_PITCH_DOWN_REPEAT 5
#define TIMER_TIMESTAMP 6
// Ends a note on the status line (why JUMP did not move).
#define TIMER_STATUS_NOTE 7

// Posted to the main window to carry a new pitch to the pitch box: wParam = the pitch, lParam 0.
#define WM_PITCH_CHANGED (WM_USER + 1)
// Posted by the outline's reading thread when more of the outline is ready: wParam = the reading's
// number (a stale one is ignored), lParam 0.
#define WM_OUTLINE_PROGRESS (WM_USER + 5)
// Sent by the outline band to the main window for a click or drag on it: wParam = the second
// under the mouse, lParam = SEEK_BAR_DRAG or SEEK_BAR_RELEASE (playback/controller.h).
#define WM_OUTLINE_SEEK (WM_USER + 6)

// Operation settings dialog (IDD_OPERATION_SETTINGS)
#define IDC_CHANGE 1003
#define IDC_OPERATION_LIST 1019
#define IDC_CLOSE 1022
// Assignment dialog (IDD_ASSIGNMENT)
#define IDC_ALT 1009
#define IDC_CTRL 1010
#define IDC_SHIFT 1011
#define IDC_WIN 1012
#define IDC_KEY_LIST 1021
#define IDC_BUTTON_LIST 1025
// GOTO dialog (IDD_GOTO)
#define IDC_GOTO_TIME 1100
#define IDC_GOTO_RANGE 1101
// Text input settings dialog (IDD_TEXT_SETTINGS); the eight snippet boxes take the ids from
// IDC_SNIPPET_FIRST on, one per snippet.
#define IDC_STAMP_FORMAT 1102
#define IDC_STAMP_EXAMPLE 1103
#define IDC_STAMP_OFFSET 1104
#define IDC_SNIPPET_FIRST 1110

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
