// parlomix.ini's text settings through the profile helpers, the two small dialogs of finding the
// place again, and the clipboard read that JUMP needs. Texts are code-page strings in the program
// and UTF-16 in the file, converted at this one border.
#include "app/text_settings_win.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "common/show_error.h"
#include "res/resource.h"
#include "settings/ini_file.h"

enum {
    // The example stamp of the settings dialog: 1:02:03.4.
    EXAMPLE_MS = 3723400
};

static const wchar_t STAMP_SECTION[] = L"Stamp";
static const wchar_t SNIPPET_SECTION[] = L"Snippets";
static const char TITLE[] = "Parlomix";

// The profile API drops the spaces around a value, and a stamp or a snippet often ends in one:
// values are written in double quotes, which the reading takes off again (by hand where a
// profile implementation leaves them).
static void ReadIniText(const wchar_t *path, const wchar_t *section, const wchar_t *key, char *out,
                        size_t size) {
    wchar_t wide[SNIPPET_TEXT_SIZE + 2];
    IniReadText(path, section, key, L"", wide, SNIPPET_TEXT_SIZE + 2);
    wchar_t *value = wide;
    size_t length = wcslen(value);
    if (length >= 2 && value[0] == L'"' && value[length - 1] == L'"') {
        value[length - 1] = L'\0';
        ++value;
    }
    if (!WideCharToMultiByte(CP_ACP, 0, value, -1, out, (int)size, NULL, NULL)) out[0] = '\0';
    out[size - 1] = '\0';
}

static bool WriteIniText(const wchar_t *path, const wchar_t *section, const wchar_t *key,
                         const char *text) {
    wchar_t wide[SNIPPET_TEXT_SIZE + 2] = L"\"";
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide + 1, SNIPPET_TEXT_SIZE)) wide[1] = L'\0';
    wcscat(wide, L"\"");
    return IniWriteText(path, section, key, wide);
}

static void SnippetKey(wchar_t *key, size_t size, int i) { swprintf(key, size, L"Text%d", i + 1); }

void LoadTextSettings(TextSettings *settings) {
    SetDefaultTextSettings(settings);
    const wchar_t *path = IniPath();
    if (!path) return;
    char text[SNIPPET_TEXT_SIZE];
    ReadIniText(path, STAMP_SECTION, L"Format", text, STAMP_FORMAT_SIZE);
    if (text[0] != '\0') snprintf(settings->format, sizeof settings->format, "%s", text);
    ReadIniText(path, STAMP_SECTION, L"Offset", text, sizeof text);
    int32_t offset = 0;
    if (ParseStampOffset(text, &offset)) settings->offsetSeconds = offset;
    for (int i = 0; i < SNIPPET_COUNT; ++i) {
        wchar_t key[16];
        SnippetKey(key, 16, i);
        ReadIniText(path, SNIPPET_SECTION, key, settings->snippets[i], SNIPPET_TEXT_SIZE);
    }
}

bool SaveTextSettings(const TextSettings *settings) {
    const wchar_t *path = IniPath();
    if (!path) return false;
    char offset[STAMP_TEXT_SIZE];
    FormatStampOffset(offset, sizeof offset, settings->offsetSeconds);
    bool ok = WriteIniText(path, STAMP_SECTION, L"Format", settings->format);
    ok = WriteIniText(path, STAMP_SECTION, L"Offset", offset) && ok;
    for (int i = 0; i < SNIPPET_COUNT; ++i) {
        wchar_t key[16];
        SnippetKey(key, 16, i);
        ok = WriteIniText(path, SNIPPET_SECTION, key, settings->snippets[i]) && ok;
    }
    return ok;
}

// ---- 設定 → 文字入力 ---------------------------------------------------------------------------

static void ShowExample(HWND dialog) {
    char format[STAMP_FORMAT_SIZE], offsetText[STAMP_FORMAT_SIZE], stamp[STAMP_TEXT_SIZE];
    GetDlgItemTextA(dialog, IDC_STAMP_FORMAT, format, sizeof format);
    GetDlgItemTextA(dialog, IDC_STAMP_OFFSET, offsetText, sizeof offsetText);
    int32_t offset = 0;
    ParseStampOffset(offsetText, &offset);
    FormatStamp(stamp, sizeof stamp, format, EXAMPLE_MS + (int64_t)offset * 1000);
    char example[STAMP_TEXT_SIZE + 16];
    snprintf(example, sizeof example, "例: %s", stamp);
    SetDlgItemTextA(dialog, IDC_STAMP_EXAMPLE, example);
}

static void OnTextSettingsInit(HWND dialog, const TextSettings *settings) {
    HWND formats = GetDlgItem(dialog, IDC_STAMP_FORMAT);
    for (const char *preset : STAMP_PRESETS) SendMessageA(formats, CB_ADDSTRING, 0, (LPARAM)preset);
    SendMessageA(formats, CB_LIMITTEXT, STAMP_FORMAT_SIZE - 1, 0);
    SetWindowTextA(formats, settings->format);
    char offset[STAMP_TEXT_SIZE];
    FormatStampOffset(offset, sizeof offset, settings->offsetSeconds);
    SetDlgItemTextA(dialog, IDC_STAMP_OFFSET, offset);
    for (int i = 0; i < SNIPPET_COUNT; ++i) {
        SendDlgItemMessageA(dialog, IDC_SNIPPET_FIRST + i, EM_LIMITTEXT, SNIPPET_TEXT_SIZE - 1, 0);
        SetDlgItemTextA(dialog, IDC_SNIPPET_FIRST + i, settings->snippets[i]);
    }
    ShowExample(dialog);
}

// Reads the dialog into `settings`; false, with a box and the field focused, for a bad field.
static bool TakeTextSettings(HWND dialog, TextSettings *settings) {
    GetDlgItemTextA(dialog, IDC_STAMP_FORMAT, settings->format, sizeof settings->format);
    if (settings->format[0] == '\0') {
        MessageBoxA(dialog, "時刻の書式を入力してください。", TITLE, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_STAMP_FORMAT));
        return false;
    }
    char offset[STAMP_FORMAT_SIZE];
    GetDlgItemTextA(dialog, IDC_STAMP_OFFSET, offset, sizeof offset);
    if (!ParseStampOffset(offset, &settings->offsetSeconds)) {
        MessageBoxA(dialog,
                    "オフセットは +hh:mm:ss または -hh:mm:ss (24時間以内) で入力してください。",
                    TITLE, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_STAMP_OFFSET));
        return false;
    }
    for (int i = 0; i < SNIPPET_COUNT; ++i)
        GetDlgItemTextA(dialog, IDC_SNIPPET_FIRST + i, settings->snippets[i], SNIPPET_TEXT_SIZE);
    return true;
}

static INT_PTR CALLBACK TextSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    TextSettings *settings = (TextSettings *)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnTextSettingsInit(dialog, (const TextSettings *)lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_STAMP_FORMAT:
            // The selection's text is in the box only after the notification.
            if (HIWORD(wParam) == CBN_SELCHANGE)
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_STAMP_FORMAT, CBN_EDITCHANGE), 0);
            else if (HIWORD(wParam) == CBN_EDITCHANGE)
                ShowExample(dialog);
            return TRUE;
        case IDC_STAMP_OFFSET:
            if (HIWORD(wParam) == EN_CHANGE) ShowExample(dialog);
            return TRUE;
        case IDOK:
            if (TakeTextSettings(dialog, settings)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

bool ShowTextSettings(HWND owner, TextSettings *settings) {
    TextSettings edited = *settings;
    if (DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_TEXT_SETTINGS), owner,
                        TextSettingsProc, (LPARAM)&edited) != IDOK)
        return false;
    *settings = edited;
    if (!SaveTextSettings(settings)) ShowError(owner, "parlomix.ini に書き込めません");
    return true;
}

// ---- GOTO -------------------------------------------------------------------------------------

struct GotoDialog {
    const char *format;
    int32_t length;
    int32_t seconds;
};

static void OnGotoInit(HWND dialog, const GotoDialog *state) {
    char end[STAMP_TEXT_SIZE], range[STAMP_TEXT_SIZE + 32];
    FormatStamp(end, sizeof end, "hh:mm:ss", (int64_t)state->length * 1000);
    snprintf(range, sizeof range, "00:00:00 〜 %s", end);
    SetDlgItemTextA(dialog, IDC_GOTO_RANGE, range);
    SendDlgItemMessageA(dialog, IDC_GOTO_TIME, EM_LIMITTEXT, STAMP_FORMAT_SIZE - 1, 0);
}

static bool TakeGotoTime(HWND dialog, GotoDialog *state) {
    char text[STAMP_FORMAT_SIZE];
    GetDlgItemTextA(dialog, IDC_GOTO_TIME, text, sizeof text);
    int64_t ms = 0;
    const char *refusal = nullptr;
    if (!ParseStampOnly(text, state->format, &ms))
        refusal = "時刻を hh:mm:ss または mm:ss の形で入力してください。";
    else if (ms / 1000 > state->length)
        refusal = "録音の長さを超える時刻です。";
    if (refusal) {
        MessageBoxA(dialog, refusal, TITLE, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_GOTO_TIME));
        SendDlgItemMessageA(dialog, IDC_GOTO_TIME, EM_SETSEL, 0, -1);
        return false;
    }
    state->seconds = (int32_t)(ms / 1000);
    return true;
}

static INT_PTR CALLBACK GotoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    GotoDialog *state = (GotoDialog *)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnGotoInit(dialog, (const GotoDialog *)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (TakeGotoTime(dialog, state)) EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

bool ShowGoto(HWND owner, const char *format, int32_t length, int32_t *seconds) {
    GotoDialog state = {format, length, 0};
    if (DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_GOTO), owner, GotoProc,
                        (LPARAM)&state) != IDOK)
        return false;
    *seconds = state.seconds;
    return true;
}

// ---- the clipboard ----------------------------------------------------------------------------

bool ReadClipboardText(HWND owner, char *text) {
    text[0] = '\0';
    if (!OpenClipboard(owner)) return false;
    bool found = false;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t *wide = data ? (const wchar_t *)GlobalLock(data) : NULL;
    if (wide) {
        size_t length = wcsnlen(wide, GlobalSize(data) / sizeof(wchar_t));
        size_t from = length > CLIPBOARD_TAIL ? length - CLIPBOARD_TAIL : 0;
        int n = WideCharToMultiByte(CP_ACP, 0, wide + from, (int)(length - from), text,
                                    CLIPBOARD_TEXT_SIZE - 1, NULL, NULL);
        text[n > 0 ? n : 0] = '\0';
        found = n > 0;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return found;
}
