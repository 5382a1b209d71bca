// The Open dialog and dropped files.
#include "app/open_file.h"

#include <commdlg.h>
#include <string.h>

// Pairs of label and pattern, each ended by a NUL, the list by a second one. The first lists
// every kind of recording the audio library opens (beyond WAV and MP3, through the platform).
static const char OPEN_FILTER[] =
    "すべての録音ファイル (*.wav;*.mp3;*.m4a;*.mp4;*.mov;*.wma;*.flac;*.ogg;*.opus)\0"
    "*.wav;*.mp3;*.m4a;*.mp4;*.mov;*.wma;*.flac;*.ogg;*.opus\0"
    "オーディオファイル (*.wav;*.mp3)\0*.wav;*.mp3\0"
    "すべてのファイル (*.*)\0*.*\0";
static const char DEFAULT_EXTENSION[] = "wav";

int32_t ChooseAudioFile(HWND window, FileSpec *file) {
    OPENFILENAMEA dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = OPEN_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file->path;
    dialog.nMaxFile = FILE_SPEC_TEXT;
    dialog.lpstrFileTitle = file->name;
    dialog.nMaxFileTitle = FILE_SPEC_TEXT;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = DEFAULT_EXTENSION;
    return GetOpenFileNameA(&dialog) ? 1 : 0;
}

int32_t TakeDroppedFile(HDROP drop, FileSpec *file) {
    char path[FILE_SPEC_TEXT] = {};
    UINT copied = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (copied == 0) {
        return 0;
    }
    memcpy(file->path, path, sizeof path);
    SetFileSpecName(file);
    return 1;
}
