// Stamps both ways: each format, the forms found in a text, offsets, garbage and huge numbers.
#include <gtest/gtest.h>

#include <string>

#include "app/stamp.h"

namespace {

const char *const DEFAULT_FORMAT = "[hh:mm:ss] ";

TEST(Stamp, FormatsEachPresetAndCustomFormat) {
    struct {
        const char *format;
        int64_t ms;
        const char *stamp;
    } const rows[] = {
        {"[hh:mm:ss] ", 3725000, "[01:02:05] "},     {"[hh:mm:ss.d] ", 3725987, "[01:02:05.9] "},
        {"(hh:mm:ss) ", 59000, "(00:00:59) "},       {"hh:mm:ss ", 0, "00:00:00 "},
        {"#hh:mm:ss.dd# ", 61050, "#00:01:01.05# "}, {"mm分ss秒 hhh", 7384123, "03分04秒 02h"},
        {"hh:mm:ss.ddd", -1500, "-00:00:01.500"},    {"hh:mm:ss", 2147483647000LL, "596523:14:07"},
    };
    for (const auto &row : rows) {
        char out[STAMP_TEXT_SIZE];
        EXPECT_EQ(FormatStamp(out, sizeof out, row.format, row.ms), (int)strlen(row.stamp));
        EXPECT_STREQ(out, row.stamp) << row.format;
    }
    char small[6];
    EXPECT_EQ(FormatStamp(small, sizeof small, DEFAULT_FORMAT, 0), 5);
    EXPECT_STREQ(small, "[00:0");
}

TEST(Stamp, FindsTheLastStampInAText) {
    struct {
        const char *name;
        const char *text;
        const char *format;
        bool found;
        int64_t ms;
    } const rows[] = {
        {"bracketed", "[01:02:03]", DEFAULT_FORMAT, true, 3723000},
        {"bare", "01:02:03", DEFAULT_FORMAT, true, 3723000},
        {"minutes and seconds", "(12:34)", DEFAULT_FORMAT, true, 754000},
        {"minutes past an hour", "75:30", DEFAULT_FORMAT, true, 4530000},
        {"tenths", "[00:00:05.2] yes", DEFAULT_FORMAT, true, 5200},
        {"thousandths", "00:00:05.123", DEFAULT_FORMAT, true, 5123},
        {"the last of several", "[00:00:01] A: hi [00:10:00] B: ok", DEFAULT_FORMAT, true, 600000},
        {"custom format with kanji", "話者 01時02分03秒 です", "hh時mm分ss秒", true, 3723000},
        {"hundredths in hashes", "#00:01:01.05#", "#hh:mm:ss.dd# ", true, 61050},
        {"seconds of 60", "00:00:60", DEFAULT_FORMAT, false, 0},
        {"minutes of 60", "01:60:00", DEFAULT_FORMAT, false, 0},
        {"one digit after the colon", "1:2", DEFAULT_FORMAT, false, 0},
        {"four fraction digits", "00:00:05.1234", DEFAULT_FORMAT, false, 0},
        {"no stamp", "聞き取れず", DEFAULT_FORMAT, false, 0},
        {"empty", "", DEFAULT_FORMAT, false, 0},
        {"a date is no stamp", "2024-01-02", DEFAULT_FORMAT, false, 0},
        {"huge hours", "[9999999:00:00]", DEFAULT_FORMAT, false, 0},
        {"largest hours", "[999999:59:59]", DEFAULT_FORMAT, true, 3599999999000LL},
        {"huge digits", "123456789012345678901234567890:00", DEFAULT_FORMAT, false, 0},
    };
    for (const auto &row : rows) {
        int64_t ms = -1;
        EXPECT_EQ(FindLastStamp(row.text, row.format, &ms), row.found) << row.name;
        EXPECT_EQ(ms, row.found ? row.ms : -1) << row.name;
    }
}

TEST(Stamp, TheGotoBoxTakesOneStampAndItsFramingOnly) {
    struct {
        const char *text;
        bool accepted;
        int64_t ms;
    } const rows[] = {
        {" [00:01:02] ", true, 62000}, {"(1:05)", true, 65000}, {"01:05 01:06", false, 0},
        {"at 01:05", false, 0},        {"01:05x", false, 0},    {"", false, 0},
    };
    for (const auto &row : rows) {
        int64_t ms = -1;
        EXPECT_EQ(ParseStampOnly(row.text, DEFAULT_FORMAT, &ms), row.accepted) << row.text;
        EXPECT_EQ(ms, row.accepted ? row.ms : -1) << row.text;
    }
}

TEST(Stamp, OffsetsReadAndWrittenWithTheirSign) {
    struct {
        const char *text;
        bool accepted;
        int32_t seconds;
        const char *written;
    } const rows[] = {
        {"", true, 0, "+00:00:00"},
        {"+09:30:00", true, 34200, "+09:30:00"},
        {"-00:00:30", true, -30, "-00:00:30"},
        {"24:00:00", true, STAMP_OFFSET_LIMIT, "+24:00:00"},
        {"24:00:01", false, 0, nullptr},
        {"00:00:01.5", false, 0, nullptr},
        {"--00:01", false, 0, nullptr},
        {"abc", false, 0, nullptr},
    };
    for (const auto &row : rows) {
        int32_t seconds = 12345;
        EXPECT_EQ(ParseStampOffset(row.text, &seconds), row.accepted) << row.text;
        if (!row.accepted) continue;
        EXPECT_EQ(seconds, row.seconds) << row.text;
        char out[STAMP_TEXT_SIZE];
        FormatStampOffset(out, sizeof out, seconds);
        EXPECT_STREQ(out, row.written);
    }
}

}  // namespace
