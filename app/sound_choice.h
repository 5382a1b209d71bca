// The 音声 menu's choices (the clarity stages and the channel) and the CLARITY operation that
// sets the stages aside and brings them back. Portable: the window applies and stores them.
#ifndef PARLOMIX_SOUND_CHOICE_H
#define PARLOMIX_SOUND_CHOICE_H

#include <stdint.h>

struct SoundChoice {
    // VBMP3_AUTO_GAIN, VBMP3_NOISE_REDUCTION and VBMP3_LOW_CUT as checked in the menu.
    int32_t clarity;
    // VBMP3_CHANNEL_BOTH, _LEFT or _RIGHT.
    int32_t channel;
    // The stages CLARITY turned off, to bring back on its next press; 0 when none are aside.
    int32_t setAside;
};

// What CLARITY did, for the status line.
enum ClarityToggle { CLARITY_NOTHING, CLARITY_SET_ASIDE, CLARITY_BROUGHT_BACK };

// Every stage off, both channels.
void SetDefaultSoundChoice(SoundChoice *choice);
// A menu check: `stage` (one flag) on or off. A choice made by hand ends what CLARITY set aside.
void SetClarityStage(SoundChoice *choice, int32_t stage, bool on);
// CLARITY: the checked stages off, remembered; pressed again, the remembered ones back. With
// nothing checked and nothing remembered it changes nothing.
ClarityToggle ToggleClarity(SoundChoice *choice);

#endif
