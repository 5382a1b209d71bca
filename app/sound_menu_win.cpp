// The 音声 menu over the audio library's clarity stages and channel, kept in parlomix.ini.
#include "app/sound_menu_win.h"

#include "audio/vbmp3.h"
#include "res/resource.h"
#include "settings/ini_file.h"

static const wchar_t SECTION[] = L"Sound";

// Each check item, its stage and its key, in the menu's order.
static const struct {
    int id;
    int32_t stage;
    const wchar_t *key;
} STAGES[] = {
    {IDM_AUTO_GAIN, VBMP3_AUTO_GAIN, L"AutoGain"},
    {IDM_NOISE_REDUCTION, VBMP3_NOISE_REDUCTION, L"NoiseReduction"},
    {IDM_LOW_CUT, VBMP3_LOW_CUT, L"LowCut"},
};

static const int32_t ALL_STAGES = VBMP3_AUTO_GAIN | VBMP3_NOISE_REDUCTION | VBMP3_LOW_CUT;
static_assert(IDM_CHANNEL_LEFT - IDM_CHANNEL_BOTH == VBMP3_CHANNEL_LEFT &&
                  IDM_CHANNEL_RIGHT - IDM_CHANNEL_BOTH == VBMP3_CHANNEL_RIGHT,
              "the channel items are in the library's order");

void LoadSoundChoice(SoundChoice *choice) {
    SetDefaultSoundChoice(choice);
    const wchar_t *path = IniPath();
    if (!path) return;
    for (const auto &stage : STAGES)
        if (IniReadInt(path, SECTION, stage.key, 0, 0, 1) != 0) choice->clarity |= stage.stage;
    choice->channel = IniReadInt(path, SECTION, L"Channel", VBMP3_CHANNEL_BOTH, VBMP3_CHANNEL_BOTH,
                                 VBMP3_CHANNEL_RIGHT);
    // Any combination of the three stages' flags lies within 0..ALL_STAGES.
    choice->setAside = IniReadInt(path, SECTION, L"SetAside", 0, 0, ALL_STAGES);
}

bool SaveSoundChoice(const SoundChoice *choice) {
    const wchar_t *path = IniPath();
    if (!path) return false;
    bool ok = true;
    for (const auto &stage : STAGES)
        ok = IniWriteInt(path, SECTION, stage.key, (choice->clarity & stage.stage) ? 1 : 0) && ok;
    ok = IniWriteInt(path, SECTION, L"Channel", choice->channel) && ok;
    return IniWriteInt(path, SECTION, L"SetAside", choice->setAside) && ok;
}

void ApplySoundChoice(HWND window, const SoundChoice *choice) {
    vbmp3_setClarity(choice->clarity);
    vbmp3_setChannel(choice->channel);
    HMENU menu = GetMenu(window);
    if (!menu) return;
    for (const auto &stage : STAGES)
        CheckMenuItem(menu, (UINT)stage.id,
                      MF_BYCOMMAND | ((choice->clarity & stage.stage) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuRadioItem(menu, IDM_CHANNEL_BOTH, IDM_CHANNEL_RIGHT,
                       (UINT)(IDM_CHANNEL_BOTH + choice->channel), MF_BYCOMMAND);
}

bool OnSoundMenuCommand(HWND window, int id, SoundChoice *choice, bool *saved) {
    bool known = false;
    for (const auto &stage : STAGES) {
        if (stage.id != id) continue;
        SetClarityStage(choice, stage.stage, (choice->clarity & stage.stage) == 0);
        known = true;
    }
    if (id >= IDM_CHANNEL_BOTH && id <= IDM_CHANNEL_RIGHT) {
        choice->channel = id - IDM_CHANNEL_BOTH;
        known = true;
    }
    if (!known) return false;
    ApplySoundChoice(window, choice);
    *saved = SaveSoundChoice(choice);
    return true;
}
