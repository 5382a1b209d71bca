// The 設定 → 文字入力 settings in parlomix.ini ([Stamp] Format and Offset, [Snippets] Text1..8),
// and the dialog that changes them. A missing or damaged file gives the defaults, without a box.
#ifndef PARLOMIX_TEXT_SETTINGS_WIN_H
#define PARLOMIX_TEXT_SETTINGS_WIN_H

#include <windows.h>

#include "app/stamp.h"

// The settings from parlomix.ini beside the program; whatever cannot be read keeps its default.
void LoadTextSettings(TextSettings *settings);
// Writes every key; false when the file cannot be written.
bool SaveTextSettings(const TextSettings *settings);

// Runs the dialog (IDD_TEXT_SETTINGS) over a copy of `settings`, owned by `owner`. On OK the
// copy, checked, replaces `settings` and is saved (a failed save is reported); returns true then.
bool ShowTextSettings(HWND owner, TextSettings *settings);

// Runs the GOTO dialog (IDD_GOTO): a time in any form `format` or FindLastStamp accepts, up to
// `length` seconds; anything else is refused with a box and the dialog stays. Returns true with
// the time in `seconds` on OK, false when cancelled.
bool ShowGoto(HWND owner, const char *format, int32_t length, int32_t *seconds);

// The clipboard's tail that JUMP searches (UTF-16 units; the last stamp is at its end), and room
// for it in the code page.
enum { CLIPBOARD_TAIL = 4096, CLIPBOARD_TEXT_SIZE = 2 * CLIPBOARD_TAIL + 1 };

// The last CLIPBOARD_TAIL units of the clipboard's text in the code page, into `text` of
// CLIPBOARD_TEXT_SIZE bytes; false when there is no text.
bool ReadClipboardText(HWND owner, char *text);

#endif
