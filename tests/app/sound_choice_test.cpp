// CLARITY setting the stages aside and back, and hand-made choices ending what was set aside.
#include <gtest/gtest.h>

#include "app/sound_choice.h"

TEST(SoundChoice, ClarityAndHandMadeChoices) {
    // Steps: "+n"/"-n" checks or unchecks stage flags n, "C" is CLARITY; after each step the
    // stages on, as flags.
    const struct {
        const char *steps;
        int32_t after[4];
    } cases[] = {
        {"+5 C C C", {5, 0, 5, 0}},   // aside and back
        {"C C", {0, 0}},              // nothing to set aside
        {"+6 C +1 C", {6, 0, 1, 0}},  // a check while aside forgets the rest...
        {"+1 C -1 C", {1, 0, 0, 0}},  // ...and so does an uncheck
    };
    for (const auto &c : cases) {
        SoundChoice choice;
        SetDefaultSoundChoice(&choice);
        int step = 0;
        for (const char *at = c.steps; *at; ++at) {
            if (*at == 'C') {
                ToggleClarity(&choice);
            } else if (*at == '+' || *at == '-') {
                SetClarityStage(&choice, at[1] - '0', *at == '+');
                ++at;
            } else {
                continue;
            }
            EXPECT_EQ(choice.clarity, c.after[step++]) << c.steps << " step " << step;
        }
    }
}
