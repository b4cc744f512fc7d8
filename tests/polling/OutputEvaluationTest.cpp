// The lamps of the outputs: each mode against sequences of readings.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "polling/OutputEvaluation.h"

namespace {

// The lamp states after each reading, starting dark; a mode that keeps the state carries it on.
std::vector<bool> Lamp(int32_t mode, float lower, float higher, const std::vector<float>& readings) {
    bool lit = false;
    std::vector<bool> states;
    for (float value : readings) {
        if (auto next = polling::EvaluateLamp(value, lower, higher, mode)) lit = *next;
        states.push_back(lit);
    }
    return states;
}

TEST(OutputEvaluation, EachModeOverItsReadings) {
    struct Case {
        const char* what;
        int32_t mode;
        float lower, higher;
        std::vector<float> readings;
        std::vector<bool> lamp;
    };
    const std::vector<float> swing = {500, 1500, 2500, 1500, 500};
    const Case cases[] = {
        {"off", 0, 1000, 2000, swing, {false, false, false, false, false}},
        {"compression keeps its state inside the band", 1, 1000, 2000, swing, {true, true, false, false, true}},
        {"extraction keeps its state inside the band", 2, 1000, 2000, swing, {false, false, true, true, false}},
        {"correct value, lower = higher", 3, 1000, 1000, {999, 1000, 1001}, {false, true, false}},
        {"error value at the edges", 4, 1000, 2000, {999, 1000, 2000, 2001}, {true, false, false, true}},
        {"compression, lower above higher", 1, 2000, 1000, {1500, 1999, 2000, 2500, 1500}, {true, true, false, false, true}},
        {"correct value, lower above higher", 3, 2000, 1000, {500, 1500, 2500}, {false, false, false}},
        {"error value, lower above higher", 4, 2000, 1000, {500, 1500, 2500}, {true, true, true}},
        {"no selection keeps the lamp", -1, 1000, 2000, {0, 5000}, {false, false}},
        {"unknown mode keeps the lamp", 7, 1000, 2000, {0, 5000}, {false, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lamp(c.mode, c.lower, c.higher, c.readings), c.lamp) << c.what;
}

TEST(OutputEvaluation, ANaNReadingKeepsModesOneAndTwoAndDarkensThreeAndFour) {
    const float nan = std::nanf("");
    EXPECT_EQ(polling::EvaluateLamp(nan, 1000, 2000, 1), std::nullopt);
    EXPECT_EQ(polling::EvaluateLamp(nan, 1000, 2000, 2), std::nullopt);
    EXPECT_EQ(polling::EvaluateLamp(nan, 1000, 2000, 3), false);
    EXPECT_EQ(polling::EvaluateLamp(nan, 1000, 2000, 4), false);
    EXPECT_EQ(polling::EvaluateLamp(nan, 1000, 2000, 0), false);
}

}  // namespace
