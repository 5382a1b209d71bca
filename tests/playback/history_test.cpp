// The play history's list: pushing out the oldest, moving a reopened file to the front with its
// position, exact path matching, the hh:mm:ss item texts, loading damaged records and storing.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/history.h"

namespace {

FileSpec File(const std::string &path) {
    FileSpec file;
    memset(&file, 0, sizeof file);
    strncpy(file.path, path.c_str(), sizeof file.path - 1);
    SetFileSpecNameWith(&file, Cp932LeadBytes());
    return file;
}

std::string Item(int32_t position, const char *path = "C:\\a.wav") {
    HistoryEntry entry;
    memset(&entry, 0, sizeof entry);
    strcpy(entry.path, path);
    entry.position = position;
    char text[HISTORY_ITEM_TEXT];
    FormatHistoryItem(&entry, text, sizeof text);
    return text;
}

struct History : ::testing::Test {
    void SetUp() override { ResetHistory(); }
};

TEST_F(History, NineOpensKeepTheLastEight) {
    for (int i = 1; i <= 9; ++i) {
        FileSpec file = File("C:\\rec\\" + std::to_string(i) + ".wav");
        HistoryAddFile(&file);
        SetHistoryPosition(0, i * 10);
    }
    EXPECT_EQ(8, playHistoryCount);
    EXPECT_STREQ("C:\\rec\\9.wav", HistoryEntryAt(HistoryIndexOfCommand(IDM_HISTORY_FIRST))->path);
    EXPECT_STREQ("9.wav", HistoryEntryAt(0)->name);
    EXPECT_STREQ("C:\\rec\\2.wav", HistoryEntryAt(7)->path);
    EXPECT_EQ(20, HistoryEntryAt(7)->position);
    // The first file sits in the spare slot, no longer counted or found.
    EXPECT_STREQ("C:\\rec\\1.wav", HistoryEntryAt(8)->path);
    HistoryEntry first = *HistoryEntryAt(8);
    EXPECT_EQ(-1, HistoryFind(&first));
}

// A file that no stored path can name (its stored fields empty) is told apart by its real path,
// listed for this run and left out of what is stored, the other entries keeping their order.
TEST_F(History, FilesWithoutAStoredPathStayForThisRunOnly) {
    FileSpec kept = File("C:\\kept.wav");
    FileSpec first = File("");
    wcscpy(first.widePath, L"C:\\\u2615.wav");
    FileSpec second = File("");
    wcscpy(second.widePath, L"C:\\\u00eb\u2615.wav");
    for (FileSpec *file : {&kept, &first, &second, &first}) HistoryAddFile(file);
    ASSERT_EQ(3, playHistoryCount);
    EXPECT_STREQ(L"C:\\\u2615.wav", HistoryWidePath(0));
    EXPECT_STREQ(L"C:\\\u00eb\u2615.wav", HistoryWidePath(1));
    FileSpec reopened;
    GetHistoryFile(1, &reopened);
    EXPECT_STREQ(L"\u00eb\u2615.wav", reopened.wideName);

    OptionData options;
    memset(&options, 0, sizeof options);
    StoreHistory(&options);
    EXPECT_EQ(1, options.historyCount);
    EXPECT_STREQ("C:\\kept.wav", options.history[0].path);
}

TEST_F(History, ReopeningAListedFileMovesItToTheFrontWithItsPosition) {
    for (int i = 0; i < 5; ++i) {
        FileSpec file = File("D:\\f" + std::to_string(i) + ".mp3");
        HistoryAddFile(&file);
        SetHistoryPosition(0, 100 + i);
    }
    // Entries now: f4 f3 f2 f1 f0; entry 3 is f1 at 101.
    FileSpec again = File("D:\\f1.mp3");
    strcpy(again.name, "renamed.mp3");
    HistoryAddFile(&again);
    EXPECT_EQ(5, playHistoryCount);
    EXPECT_STREQ("D:\\f1.mp3", HistoryEntryAt(0)->path);
    EXPECT_STREQ("renamed.mp3", HistoryEntryAt(0)->name);
    EXPECT_EQ(101, HistoryEntryAt(0)->position);
    const char *below[] = {"D:\\f4.mp3", "D:\\f3.mp3", "D:\\f2.mp3", "D:\\f0.mp3"};
    const int32_t positions[] = {104, 103, 102, 100};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(below[i], HistoryEntryAt(i + 1)->path);
        EXPECT_EQ(positions[i], HistoryEntryAt(i + 1)->position);
    }
}

TEST_F(History, NewFilesStartAtZeroAndEntriesAreZeroFilled) {
    FileSpec file = File("C:\\x.wav");
    memset(file.path + 9, 'Z', sizeof file.path - 9);  // bytes after the terminator
    file.path[8] = '\0';
    HistoryAddFile(&file);
    EXPECT_EQ(0, HistoryEntryAt(0)->position);
    for (size_t i = 8; i < sizeof file.path; ++i) {
        ASSERT_EQ(0, HistoryEntryAt(0)->path[i]) << i;
    }
}

TEST_F(History, PathsThatDifferInLetterCaseAreTwoEntries) {
    FileSpec lower = File("c:\\talk.wav");
    FileSpec upper = File("C:\\TALK.WAV");
    HistoryAddFile(&lower);
    HistoryAddFile(&upper);
    HistoryAddFile(&upper);
    EXPECT_EQ(2, playHistoryCount);
    HistoryEntry probe;
    memset(&probe, 0, sizeof probe);
    strcpy(probe.path, "c:\\talk.wav");
    EXPECT_EQ(1, HistoryFind(&probe));
    strcpy(probe.path, "c:\\talk.wa");
    EXPECT_EQ(-1, HistoryFind(&probe));
}

TEST_F(History, RemoveAtRefusesIndexesOutsideTheNineSlots) {
    FileSpec file = File("C:\\one.wav");
    HistoryAddFile(&file);
    EXPECT_EQ(0, HistoryRemoveAt(-1));
    EXPECT_EQ(0, HistoryRemoveAt(9));
    EXPECT_EQ(1, playHistoryCount);
    EXPECT_EQ(1, HistoryRemoveAt(8));
    EXPECT_EQ(0, playHistoryCount);
    EXPECT_EQ(1, HistoryRemoveAt(0));
    EXPECT_EQ(0, playHistoryCount);
}

TEST_F(History, GetHistoryFileCopiesPathAndName) {
    FileSpec file = File("E:\\会議\\録音.mp3");
    HistoryAddFile(&file);
    FileSpec out;
    memset(&out, 0x55, sizeof out);
    GetHistoryFile(0, &out);
    EXPECT_STREQ(file.path, out.path);
    EXPECT_STREQ(file.name, out.name);
}

TEST(HistoryItemText, PositionsShowAsHoursMinutesSeconds) {
    EXPECT_EQ("C:\\a.wav \t01:02:05", Item(3725));
    EXPECT_EQ("C:\\a.wav \t100:00:00", Item(100 * 3600));
    EXPECT_EQ("C:\\a.wav \t00:00:00", Item(0));
    EXPECT_EQ("C:\\a.wav \t00:59:59", Item(3599));
}

TEST(HistoryItemText, TheLongestPathKeepsItsTime) {
    std::string path(FILE_SPEC_TEXT - 1, 'p');
    EXPECT_EQ(path + " \t12:34:56", Item(12 * 3600 + 34 * 60 + 56, path.c_str()));
}

TEST(HistoryCommands, IdsMapToIndexesZeroToSeven) {
    EXPECT_EQ(0, HistoryIndexOfCommand(IDM_HISTORY_FIRST));
    EXPECT_EQ(HISTORY_SLOTS - 1, HistoryIndexOfCommand(IDM_HISTORY_FIRST + HISTORY_SLOTS - 1));
    EXPECT_EQ(-1, HistoryIndexOfCommand(IDM_HISTORY_FIRST + HISTORY_SLOTS));
    EXPECT_EQ(-1, HistoryIndexOfCommand(IDM_HISTORY_FIRST - 1));
    EXPECT_EQ(-1, HistoryIndexOfCommand(IDM_HISTORY_DELETE));
}

struct HistoryStore : History {
    OptionData options;
    void SetUp() override {
        History::SetUp();
        SetDefaultOptionData(&options);
    }
    void Stored(int32_t count) {
        options.historyCount = count;
        for (int i = 0; i < HISTORY_SLOTS; ++i) {
            memset(&options.history[i], 0, sizeof options.history[i]);
            snprintf(options.history[i].path, FILE_SPEC_TEXT, "C:\\stored%d.wav", i);
            snprintf(options.history[i].name, FILE_SPEC_TEXT, "stored%d.wav", i);
            options.history[i].position = 1000 + i;
        }
    }
};

TEST_F(HistoryStore, LoadCopiesTheCountedEntries) {
    Stored(3);
    EXPECT_FALSE(HistoryLoaded());
    EXPECT_EQ(3, HistoryLoadFrom(&options));
    EXPECT_TRUE(HistoryLoaded());
    EXPECT_EQ(3, playHistoryCount);
    EXPECT_STREQ("C:\\stored2.wav", HistoryEntryAt(2)->path);
    EXPECT_EQ(1002, HistoryEntryAt(2)->position);
    // Slots past the count start zeroed.
    EXPECT_EQ(0, HistoryEntryAt(3)->path[0]);
    EXPECT_EQ(0, HistoryEntryAt(3)->position);
}

TEST_F(HistoryStore, DamagedCountsAreClamped) {
    const int32_t counts[] = {9, 1000000, -1, INT32_MIN, INT32_MAX};
    const int32_t loaded[] = {8, 8, 0, 0, 8};
    for (int i = 0; i < 5; ++i) {
        Stored(counts[i]);
        EXPECT_EQ(loaded[i], HistoryLoadFrom(&options)) << counts[i];
        EXPECT_EQ(loaded[i], playHistoryCount) << counts[i];
    }
    EXPECT_EQ(0, HistoryEntryAt(8)->path[0]);
}

TEST_F(HistoryStore, UnterminatedStringsAreCutToTheirFields) {
    Stored(1);
    memset(options.history[0].path, 'a', FILE_SPEC_TEXT);
    memset(options.history[0].name, 'b', FILE_SPEC_TEXT);
    HistoryLoadFrom(&options);
    EXPECT_EQ(FILE_SPEC_TEXT - 1, (int)strlen(HistoryEntryAt(0)->path));
    EXPECT_EQ(FILE_SPEC_TEXT - 1, (int)strlen(HistoryEntryAt(0)->name));
    char text[HISTORY_ITEM_TEXT];
    FormatHistoryItem(HistoryEntryAt(0), text, sizeof text);
    EXPECT_EQ(std::string(FILE_SPEC_TEXT - 1, 'a') + " \t00:16:40", text);
}

TEST_F(HistoryStore, StoreWritesCountAndEntriesAndLeavesTheRest) {
    Stored(0);
    FileSpec a = File("C:\\a.wav");
    FileSpec b = File("C:\\b.wav");
    HistoryAddFile(&a);
    HistoryAddFile(&b);
    SetHistoryPosition(0, 77);
    StoreHistory(&options);
    EXPECT_EQ(2, options.historyCount);
    EXPECT_STREQ("C:\\b.wav", options.history[0].path);
    EXPECT_EQ(77, options.history[0].position);
    EXPECT_STREQ("C:\\a.wav", options.history[1].path);
    EXPECT_STREQ("C:\\stored2.wav", options.history[2].path);
}

TEST_F(HistoryStore, DeleteThenStoreGivesAnEmptyList) {
    Stored(5);
    HistoryLoadFrom(&options);
    ClearHistory();
    // The close still writes the open file's position into slot 0; it is not kept.
    SetHistoryPosition(0, 4242);
    StoreHistory(&options);
    EXPECT_EQ(0, options.historyCount);
    EXPECT_EQ(1000, options.history[0].position);
    // A later open starts a new list.
    FileSpec file = File("C:\\stored3.wav");
    HistoryAddFile(&file);
    EXPECT_EQ(1, playHistoryCount);
    EXPECT_EQ(0, HistoryEntryAt(0)->position);
}

TEST_F(HistoryStore, LoadStoreRoundTripKeepsEveryByte) {
    Stored(8);
    OptionData copy = options;
    HistoryLoadFrom(&options);
    memset(&options.history, 0, sizeof options.history);
    options.historyCount = 0;
    StoreHistory(&options);
    EXPECT_EQ(0, memcmp(&copy, &options, sizeof options));
}

// Random opens (paths that differ in letter case included), captured positions, deletes and
// store/load round trips against a plain model of the list: most recent first, one entry per
// exact path, at most eight.
TEST_F(HistoryStore, RandomUseMatchesASimpleModel) {
    const char *paths[] = {"C:\\a.wav", "C:\\A.wav", "C:\\b.mp3", "D:\\c.wav",
                           "D:\\d.wav", "E:\\e.mp3", "E:\\f.mp3", "F:\\g.wav",
                           "F:\\h.wav", "G:\\i.wav", "G:\\j.mp3", "H:\\k.wav"};
    struct Model {
        std::string path;
        int32_t position;
    };
    std::vector<Model> model;
    uint32_t seed = 777;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    HistoryLoadFrom(&options);
    for (int step = 0; step < 5000; ++step) {
        uint32_t action = next(10);
        if (action < 6) {
            const char *path = paths[next(12)];
            FileSpec file = File(path);
            HistoryAddFile(&file);
            int32_t position = 0;
            for (size_t i = 0; i < model.size(); ++i) {
                if (model[i].path == path) {
                    position = model[i].position;
                    model.erase(model.begin() + i);
                    break;
                }
            }
            model.insert(model.begin(), {path, position});
            if (model.size() > HISTORY_SLOTS) {
                model.pop_back();
            }
        } else if (action < 8) {
            int32_t position = (int32_t)next(400000);
            SetHistoryPosition(0, position);
            if (!model.empty()) {
                model[0].position = position;
            }
        } else if (action == 8) {
            if (next(10) == 0) {
                ClearHistory();
                model.clear();
            }
        } else {
            StoreHistory(&options);
            ASSERT_EQ((int32_t)model.size(), options.historyCount);
            HistoryLoadFrom(&options);
        }
        ASSERT_EQ((int32_t)model.size(), playHistoryCount) << "step " << step;
        for (size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(model[i].path, HistoryEntryAt((int32_t)i)->path) << "step " << step;
            ASSERT_EQ(model[i].position, HistoryEntryAt((int32_t)i)->position) << "step " << step;
        }
    }
}

}  // namespace
