// Pedal reports: each family's report layout as button presses and releases, unplugging and
// letting go of everything while held.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "input/pedal.h"

namespace {

// "3+ 1-": the button and whether it went down (+) or up (-).
void AddEvents(const JoyEvent *events, int count, std::string *text) {
    for (int i = 0; i < count; ++i)
        *text += (text->empty() ? "" : " ") + std::to_string(events[i].button) +
                 (events[i].flags ? "-" : "+");
}

// Feeds each report (hex) by the family's layout to one device, as Raw Input delivers them.
std::string Feed(PedalFamily family, std::vector<const char *> reports) {
    PedalSet set = {};
    PedalDevice *device = AddPedalDevice(&set, 0x1234, family, false);
    std::string text;
    for (const char *hex : reports) {
        std::vector<uint8_t> report;
        for (const char *p = hex; p[0] && p[1]; p += 2)
            report.push_back(uint8_t(strtoul(std::string(p, 2).c_str(), NULL, 16)));
        uint32_t usages = 0xDEAD;
        if (!DecodePedalReport(family, report.data(), report.size(), &usages)) continue;
        JoyEvent events[PEDAL_EVENTS_PER_REPORT];
        AddEvents(events, ApplyPedalUsages(device, report[0], usages, events), &text);
    }
    return text;
}

TEST(PedalReports, EachFamilysLayout) {
    struct {
        const char *name;
        PedalFamily family;
        std::vector<const char *> reports;
        const char *events;
    } const cases[] = {
        {"VEC_LEFT_ALONE", PEDAL_VEC, {"000100", "000000"}, "3+ 3-"},
        {"VEC_CENTRE_ALONE", PEDAL_VEC, {"000200", "000000"}, "1+ 1-"},
        {"VEC_RIGHT_ALONE", PEDAL_VEC, {"000400", "000000"}, "4+ 4-"},
        {"VEC_CHORD_OF_THREE", PEDAL_VEC, {"000700", "000000"}, "1+ 3+ 4+ 1- 3- 4-"},
        {"VEC_CHORDS_3_5_6", PEDAL_VEC, {"000300", "000500", "000600"}, "1+ 3+ 1- 4+ 3- 1+"},
        {"VEC_RELEASE_ONE_OF_TWO", PEDAL_VEC, {"000500", "000400", "000000"}, "3+ 4+ 3- 4-"},
        {"VEC_REPEATED_REPORTS", PEDAL_VEC, {"000200", "000200", "000200", "000000"}, "1+ 1-"},
        {"VEC_SHORT_REPORT_IGNORED", PEDAL_VEC, {"00", "", "000200"}, "1+"},
        {"VEC_OVERLONG_REPORT", PEDAL_VEC, {"0004000000FFFFFF"}, "4+"},
        {"VEC_OTHER_REPORT_ID", PEDAL_VEC, {"010700"}, ""},
        {"VEC_UNUSED_BITS", PEDAL_VEC, {"00F8FF"}, ""},
        {"PHILIPS_EACH_PEDAL",
         PEDAL_PHILIPS,
         {"0001", "0002", "0004", "0008", "0000"},
         "3+ 3- 1+ 1- 4+ 4- 2+ 2-"},
        {"PHILIPS_SHORT", PEDAL_PHILIPS, {"00"}, ""},
        {"OLYMPUS_EACH_PEDAL",
         PEDAL_OLYMPUS,
         {"00000004", "00000002", "00000001"},
         "3+ 3- 1+ 1- 4+"},
        {"OLYMPUS_SHORT", PEDAL_OLYMPUS, {"000000"}, ""},
        {"UNKNOWN_VENDOR_USAGE_N_IS_BUTTON_N",
         PEDAL_PROGRAMMABLE,
         {"0001", "0008", "0010"},
         "1+ 1- 4+ 4-"},
        {"REPORT_ID_BYTE_KEEPS_ITS_OWN_BUTTONS",
         PEDAL_PROGRAMMABLE,
         {"0101", "0202", "0100"},
         "1+ 2+ 1-"},
        {"NOT_A_PEDAL", PEDAL_NOT_A_PEDAL, {"00FFFF"}, ""},
    };
    for (const auto &c : cases) EXPECT_EQ(Feed(c.family, c.reports), c.events) << c.name;
}

TEST(PedalReports, UnpluggingReleasesWhatWasHeldOnce) {
    PedalSet set = {};
    // Media keyboards and game pads take no pedal slot, however many come and go.
    for (int i = 0; i < 2 * PEDAL_OTHER_DEVICES; ++i)
        EXPECT_EQ(AddPedalDevice(&set, 0x500 + i, PEDAL_NOT_A_PEDAL, false), nullptr);
    EXPECT_TRUE(IsOtherDevice(&set, 0x500 + 2 * PEDAL_OTHER_DEVICES - 1));
    for (int i = 0; i < PEDAL_DEVICES; ++i)
        ASSERT_NE(AddPedalDevice(&set, 0x100 + i, PEDAL_VEC, false), nullptr);
    EXPECT_EQ(AddPedalDevice(&set, 0x999, PEDAL_VEC, false), nullptr) << "all slots taken";
    PedalDevice *device = FindPedalDevice(&set, 0x105);
    JoyEvent events[PEDAL_EVENTS_PER_REPORT];
    ASSERT_EQ(ApplyPedalUsages(device, 0, 0x5, events), 2);
    std::string released;
    AddEvents(events, RemovePedalDevice(&set, 0x105, events), &released);
    EXPECT_EQ(released, "3- 4-");
    EXPECT_EQ(FindPedalDevice(&set, 0x105), nullptr);
    EXPECT_EQ(RemovePedalDevice(&set, 0x105, events), 0) << "a second removal";
    EXPECT_NE(AddPedalDevice(&set, 0x999, PEDAL_VEC, false), nullptr) << "the slot is free";
}

TEST(PedalReports, ReleasingAllLetsGoOnceAndTheNextPressCounts) {
    PedalSet set = {};
    PedalDevice *vec = AddPedalDevice(&set, 0x10, PEDAL_VEC, false);
    PedalDevice *two = AddPedalDevice(&set, 0x20, PEDAL_PROGRAMMABLE, false);
    JoyEvent events[PEDAL_RELEASE_EVENTS], JOY_2_DOWN = {2, 0}, JOY_2_UP = {2, JOY_EVENT_RELEASED};
    ApplyPedalUsages(vec, 0, 0x5, events);
    ApplyPedalUsages(two, 1, 0x1, events);
    ApplyPedalUsages(two, 2, 0x2, events);
    EXPECT_TRUE(FollowJoystickEvent(&set, &JOY_2_DOWN));
    std::string text;
    AddEvents(events, ReleaseAllPedals(&set, events), &text);
    AddEvents(events, ReleaseAllPedals(&set, events), &text);
    EXPECT_EQ(text, "3- 4- 1- 2- 2-");
    EXPECT_FALSE(FollowJoystickEvent(&set, &JOY_2_UP)) << "its release was given already";
    text.clear();
    AddEvents(events, ApplyPedalUsages(vec, 0, 0x5, events), &text);
    // Button 2, held by report id 2, must not come back with a report of id 1.
    AddEvents(events, ApplyPedalUsages(two, 1, 0x1, events), &text);
    EXPECT_EQ(text, "3+ 4+ 1+");
}

}  // namespace
