// The 音声 menu: its check and radio items, the audio library's clarity stages and channel that
// follow them, and their keys in parlomix.ini ([Sound] AutoGain, NoiseReduction, LowCut, Channel,
// and SetAside for what CLARITY put aside). A missing or damaged file gives every stage off.
#ifndef PARLOMIX_SOUND_MENU_WIN_H
#define PARLOMIX_SOUND_MENU_WIN_H

#include <windows.h>

#include "app/sound_choice.h"

// The choice stored beside the program, or the defaults.
void LoadSoundChoice(SoundChoice *choice);
// Writes every key; false when the file cannot be written.
bool SaveSoundChoice(const SoundChoice *choice);
// The library and the menu of `window` follow `choice`.
void ApplySoundChoice(HWND window, const SoundChoice *choice);
// A 音声 menu command changes `choice`, applies and stores it; false when `id` is none of them.
// `saved` tells whether the store succeeded.
bool OnSoundMenuCommand(HWND window, int id, SoundChoice *choice, bool *saved);

#endif
