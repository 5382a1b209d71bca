// The 音声 menu's choices: CLARITY setting the stages aside and back, hand-made choices ending
// what was set aside, and damaged stored values.
#include <gtest/gtest.h>

#include "app/sound_choice.h"
#include "audio/vbmp3.h"

namespace {

const int32_t GAIN = VBMP3_AUTO_GAIN, NOISE = VBMP3_NOISE_REDUCTION, CUT = VBMP3_LOW_CUT;

// Each step: 'C' is CLARITY, '+'/'-' checks or unchecks `stage`.
struct Step {
    char action;
    int32_t stage;
    ClarityToggle toggle;  // what CLARITY reports ('C' only)
    int32_t clarity;       // the stages on after the step
};

TEST(SoundChoice, ClarityAndHandMadeChoices) {
    const struct {
        const char *name;
        Step steps[4];
    } cases[] = {
        {"aside and back",
         {{'+', GAIN | CUT, {}, GAIN | CUT},
          {'C', 0, CLARITY_SET_ASIDE, 0},
          {'C', 0, CLARITY_BROUGHT_BACK, GAIN | CUT},
          {'C', 0, CLARITY_SET_ASIDE, 0}}},
        {"nothing to set aside", {{'C', 0, CLARITY_NOTHING, 0}, {'C', 0, CLARITY_NOTHING, 0}}},
        {"a check while aside forgets the rest",
         {{'+', NOISE | CUT, {}, NOISE | CUT},
          {'C', 0, CLARITY_SET_ASIDE, 0},
          {'+', GAIN, {}, GAIN},
          {'C', 0, CLARITY_SET_ASIDE, 0}}},
        {"an uncheck while aside leaves nothing to bring back",
         {{'+', GAIN, {}, GAIN},
          {'C', 0, CLARITY_SET_ASIDE, 0},
          {'-', GAIN, {}, 0},
          {'C', 0, CLARITY_NOTHING, 0}}},
    };
    for (const auto &c : cases) {
        SoundChoice choice;
        SetDefaultSoundChoice(&choice);
        for (const Step &step : c.steps) {
            if (step.action == 0) break;
            if (step.action == 'C')
                EXPECT_EQ(ToggleClarity(&choice), step.toggle) << c.name;
            else
                SetClarityStage(&choice, step.stage, step.action == '+');
            EXPECT_EQ(choice.clarity, step.clarity) << c.name << " after " << step.action;
        }
        EXPECT_EQ(choice.channel, VBMP3_CHANNEL_BOTH) << c.name;
    }
}

TEST(SoundChoice, RepairKeepsOnlyWhatTheLibraryTakes) {
    const struct {
        SoundChoice stored, repaired;
    } cases[] = {
        {{GAIN | NOISE | CUT, VBMP3_CHANNEL_RIGHT, CUT},
         {GAIN | NOISE | CUT, VBMP3_CHANNEL_RIGHT, CUT}},
        {{0x7FFFFFF8 | GAIN, 3, -1}, {GAIN, VBMP3_CHANNEL_BOTH, GAIN | NOISE | CUT}},
        {{-1, -1, 0x100}, {GAIN | NOISE | CUT, VBMP3_CHANNEL_BOTH, 0}},
    };
    for (const auto &c : cases) {
        SoundChoice choice = c.stored;
        RepairSoundChoice(&choice);
        EXPECT_EQ(choice.clarity, c.repaired.clarity);
        EXPECT_EQ(choice.channel, c.repaired.channel);
        EXPECT_EQ(choice.setAside, c.repaired.setAside);
    }
}

}  // namespace
