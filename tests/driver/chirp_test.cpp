// The chirp reader on made-up recordings: pieces of the chirp, faded in and out as the audio
// library does at a jump, with silences between them, read back as the stretches heard.
#include <gtest/gtest.h>

#include <math.h>

#include "tests/driver/chirp.h"

namespace {

const double SILENT = -1;
const double ACCURACY = 0.003;

struct Piece {
    double from;  // source seconds, or SILENT
    double seconds;
};
struct Row {
    const char *name;
    std::vector<Piece> pieces;
    std::vector<std::pair<double, double>> heard;
};

std::vector<int16_t> Recording(const std::vector<Piece> &pieces) {
    const std::vector<int16_t> chirp = driver::ChirpSamples(45);
    const size_t fade = driver::CHIRP_RATE / 100;
    std::vector<int16_t> out;
    for (const Piece &p : pieces) {
        size_t n = size_t(p.seconds * driver::CHIRP_RATE);
        size_t at = size_t(lround(p.from * driver::CHIRP_RATE));
        for (size_t i = 0; i < n; ++i) {
            double gain = std::min(1.0, double(std::min(i, n - 1 - i)) / fade);
            out.push_back(p.from == SILENT ? 0 : int16_t(chirp[at + i] * gain));
        }
    }
    return out;
}

// Each piece fades in and out over 10 ms, which counts half: heard 5 ms inside its ends.
const Row ROWS[] = {
    {"CUT_AHEAD", {{1.0, 1.0}, {SILENT, 0.3}, {2.5, 1.0}}, {{1.005, 1.995}, {2.505, 3.495}}},
    {"REPEAT_BACK", {{3.0, 1.0}, {SILENT, 0.2}, {2.9, 0.8}}, {{3.005, 3.995}, {2.905, 3.695}}},
    {"FROM_THE_START_TWICE",
     {{0.0, 0.5}, {SILENT, 0.4}, {0.0, 0.5}},
     {{0.005, 0.495}, {0.005, 0.495}}},
    {"SHORT_DIP_IS_NO_GAP", {{1.0, 1.0}, {SILENT, 0.1}, {2.1, 0.5}}, {{1.005, 2.595}}},
    {"LATE_IN_A_LONG_FILE", {{SILENT, 0.5}, {40.0, 0.7}, {SILENT, 0.2}}, {{40.005, 40.695}}},
    {"CLICK_FROM_ELSEWHERE_AT_THE_END", {{1.0, 1.0}, {5.0, 0.02}, {SILENT, 0.3}}, {{1.005, 2.015}}},
    {"BLIP_TOO_SHORT_TO_READ", {{1.0, 1.0}, {SILENT, 0.3}, {5.0, 0.03}}, {{1.005, 1.995}}},
};

class ChirpReader : public ::testing::TestWithParam<Row> {};
INSTANTIATE_TEST_SUITE_P(Recordings, ChirpReader, ::testing::ValuesIn(ROWS),
                         [](const ::testing::TestParamInfo<Row> &row) { return row.param.name; });

TEST_P(ChirpReader, FindsEachStretchAndTheSourceTimesAtItsEdges) {
    std::vector<int16_t> recording = Recording(GetParam().pieces);
    std::vector<driver::HeardStretch> heard = driver::HeardStretches(recording);
    SCOPED_TRACE(driver::Describe(heard));
    ASSERT_EQ(GetParam().heard.size(), heard.size());
    for (size_t i = 0; i < heard.size(); ++i) {
        EXPECT_NEAR(GetParam().heard[i].first, heard[i].from, ACCURACY) << i;
        EXPECT_NEAR(GetParam().heard[i].second, heard[i].to, ACCURACY) << i;
        size_t middle = (heard[i].first + heard[i].end) / 2;
        double expect = heard[i].from + double(middle - heard[i].first) / driver::CHIRP_RATE;
        EXPECT_NEAR(expect, driver::SourceTimeAt(recording, middle), ACCURACY) << i;
    }
}

}  // namespace
