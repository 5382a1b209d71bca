// The Open dialog and dropped files, both as Unicode paths.
#include "app/open_file.h"

#include <commdlg.h>
#include <string.h>

#include "app/app_main.h"

// Pairs of label and pattern, each ended by a NUL, the list by a second one. The first lists
// every kind of recording the audio library opens (beyond WAV and MP3, through the platform).
static const wchar_t OPEN_FILTER[] =
    L"すべての録音ファイル (*.wav;*.mp3;*.m4a;*.mp4;*.mov;*.wma;*.flac;*.ogg;*.opus)\0"
    L"*.wav;*.mp3;*.m4a;*.mp4;*.mov;*.wma;*.flac;*.ogg;*.opus\0"
    L"オーディオファイル (*.wav;*.mp3)\0*.wav;*.mp3\0"
    L"すべてのファイル (*.*)\0*.*\0";
static const wchar_t DEFAULT_EXTENSION[] = L"wav";

int32_t ChooseAudioFile(HWND window, FileSpec *file) {
    // The dialog starts at the file the record names.
    FileSpec start = *file;
    CompleteWidePath(&start);
    wchar_t path[FILE_SPEC_TEXT];
    memcpy(path, start.widePath, sizeof path);
    OPENFILENAMEW dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = OPEN_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = FILE_SPEC_TEXT;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = DEFAULT_EXTENSION;
    if (!GetOpenFileNameW(&dialog)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) ReportPathTooLong(window);
        return 0;
    }
    return SetFileSpecFromWide(file, path) ? 1 : 0;
}

int32_t TakeDroppedFile(HWND window, HDROP drop, FileSpec *file) {
    UINT length = DragQueryFileW(drop, 0, NULL, 0);
    wchar_t path[FILE_SPEC_TEXT] = {};
    UINT copied = length < FILE_SPEC_TEXT ? DragQueryFileW(drop, 0, path, FILE_SPEC_TEXT) : 0;
    DragFinish(drop);
    if (length >= FILE_SPEC_TEXT) ReportPathTooLong(window);
    if (copied == 0) return 0;
    return SetFileSpecFromWide(file, path) ? 1 : 0;
}
