// The 音声 menu's choices and the CLARITY operation.
#include "app/sound_choice.h"

#include "audio/vbmp3.h"

static const int32_t ALL_STAGES = VBMP3_AUTO_GAIN | VBMP3_NOISE_REDUCTION | VBMP3_LOW_CUT;

void SetDefaultSoundChoice(SoundChoice *choice) {
    choice->clarity = 0;
    choice->channel = VBMP3_CHANNEL_BOTH;
    choice->setAside = 0;
}

void SetClarityStage(SoundChoice *choice, int32_t stage, bool on) {
    choice->clarity = on ? (choice->clarity | stage) : (choice->clarity & ~stage);
    choice->clarity &= ALL_STAGES;
    choice->setAside = 0;
}

ClarityToggle ToggleClarity(SoundChoice *choice) {
    if (choice->clarity != 0) {
        choice->setAside = choice->clarity;
        choice->clarity = 0;
        return CLARITY_SET_ASIDE;
    }
    if (choice->setAside != 0) {
        choice->clarity = choice->setAside;
        choice->setAside = 0;
        return CLARITY_BROUGHT_BACK;
    }
    return CLARITY_NOTHING;
}
