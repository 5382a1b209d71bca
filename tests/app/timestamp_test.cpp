// TIMESTAMP without a window: what a press reads and queues (against the recording fake of the
// library and the window), and when the queue is typed, kept waiting or dropped.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/timestamp.h"
#include "tests/playback/fake_port.h"

namespace {

struct Timestamp : ::testing::Test {
    FakeWorld world;
    PlaybackPort port;
    TimestampQueue queue;
    TextSettings text;
    void SetUp() override {
        BindFakePort(&port, &world);
        ClearTimestamps(&queue);
        SetDefaultTextSettings(&text);
    }
    bool Press(bool fileOpen, uint32_t now, int snippet = -1) {
        return TimestampPressed(&port, fileOpen, &queue, now, &text, snippet);
    }
};

TEST_F(Timestamp, APressQueuesTheReportedPositionInEveryStateAndNothingWithoutAFile) {
    struct {
        const char *name;
        bool fileOpen;
        int32_t state;
        int32_t position;
        bool queued;
        const char *text;
        const char *calls;
    } const rows[] = {
        {"no file open", false, VBMP3_STOPPED, 7, false, "", ""},
        {"playing", true, VBMP3_PLAYING, 2, true, "[00:00:02] ", "getState, timer 6 20"},
        {"paused", true, VBMP3_PAUSED, 3725, true, "[01:02:05] ", "getState, timer 6 20"},
        {"stopped", true, VBMP3_STOPPED, 0, true, "[00:00:00] ", "getState, timer 6 20"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        world = FakeWorld();
        world.state = row.state;
        world.position = row.position;
        ClearTimestamps(&queue);
        EXPECT_EQ(Press(row.fileOpen, 5000), row.queued);
        EXPECT_STREQ(queue.text, row.text);
        EXPECT_EQ(queue.length, (int32_t)strlen(row.text));
        // Only the state is read: playback goes on as it was.
        EXPECT_EQ(Calls(world), row.calls);
        EXPECT_EQ(world.state, row.state);
    }
}

TEST_F(Timestamp, PressesWhileWaitingAreTypedTogetherUntilTheQueueIsFull) {
    world.state = VBMP3_PLAYING;
    world.position = 61;
    ASSERT_TRUE(Press(true, 1000));
    world.position = 62;
    ASSERT_TRUE(Press(true, 1500));
    EXPECT_STREQ(queue.text, "[00:01:01] [00:01:02] ");
    EXPECT_EQ(queue.firstQueuedAt, 1000u) << "the wait is bounded from the first press";
    int presses = 2;
    while (Press(true, 2000)) ++presses;
    EXPECT_EQ(presses, (TIMESTAMP_QUEUE_SIZE - 1) / 11);
    EXPECT_EQ(queue.length, presses * 11);
    EXPECT_EQ(strlen(queue.text), (size_t)queue.length);
}

TEST_F(Timestamp, TheFormatOffsetAndSnippetsShapeWhatIsQueued) {
    struct {
        const char *name;
        bool fileOpen;
        const char *format;
        int32_t offset;
        const char *snippet;  // null: TIMESTAMP
        const char *text;
    } const rows[] = {
        {"a custom format", true, "<hh.mm.ss>", 0, nullptr, "<00.01.05>"},
        {"an offset of a day's time", true, "[hh:mm:ss] ", 9 * 3600, nullptr, "[09:01:05] "},
        {"a snippet with the stamp", true, "hh:mm:ss", 0,
         "{time} Interviewer: ", "00:01:05 Interviewer: "},
        {"a plain snippet needs no file", false, "hh:mm:ss", 0, "A: ", "A: "},
        {"a snippet with the stamp needs a file", false, "hh:mm:ss", 0, "{time}", ""},
        {"an empty snippet types nothing", true, "hh:mm:ss", 0, "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        world = FakeWorld();
        world.position = 65;
        ClearTimestamps(&queue);
        snprintf(text.format, sizeof text.format, "%s", row.format);
        text.offsetSeconds = row.offset;
        snprintf(text.snippets[3], sizeof text.snippets[3], "%s", row.snippet ? row.snippet : "");
        EXPECT_EQ(Press(row.fileOpen, 10, row.snippet ? 3 : -1), row.text[0] != '\0');
        EXPECT_STREQ(queue.text, row.text);
    }
}

TEST(TimestampStep, WaitsForTheModifiersWithinTheLimit) {
    struct {
        const char *name;
        int32_t length;
        uint32_t firstQueuedAt;
        bool modifierHeld;
        uint32_t now;
        TimestampStep step;
    } const rows[] = {
        {"nothing queued", 0, 100, false, 120, TIMESTAMP_DROP},
        {"Ctrl still held", 11, 100, true, 120, TIMESTAMP_WAIT},
        {"every modifier released", 11, 100, false, 120, TIMESTAMP_TYPE},
        {"released just before the limit", 11, 100, false, 100 + TIMESTAMP_WAIT_LIMIT_MS - 1,
         TIMESTAMP_TYPE},
        {"held up to the limit", 11, 100, true, 100 + TIMESTAMP_WAIT_LIMIT_MS, TIMESTAMP_DROP},
        {"released only after the limit", 11, 100, false, 100 + TIMESTAMP_WAIT_LIMIT_MS + 5,
         TIMESTAMP_DROP},
        {"tick counter wrapped meanwhile", 11, 0xFFFFFFF0u, true, 0x10, TIMESTAMP_WAIT},
    };
    for (const auto &row : rows) {
        TimestampQueue queue;
        ClearTimestamps(&queue);
        queue.length = row.length;
        queue.firstQueuedAt = row.firstQueuedAt;
        EXPECT_EQ(NextTimestampStep(&queue, row.modifierHeld, row.now), row.step) << row.name;
    }
}

}  // namespace
