#include "score_file.h"

#include <cfloat>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace cardtest {
namespace {

void ExpectLoad(std::optional<std::string_view> file, const char* gamesPlayed, const char* average) {
    const ScoreLoad load = LoadScore(file);
    EXPECT_FALSE(load.error.has_value()) << load.error->description;
    EXPECT_EQ(std::tuple(load.gamesPlayed, load.average), std::tuple(gamesPlayed, average));
}

TEST(LoadScore, ShowsGamesAndAverage) {
    ExpectLoad(" 16 \r\n 3 \r\n", " 3 ", "5.33333333333333"); // line 2 shown as read
    ExpectLoad("21\r\n4", "4", "5.25");                       // the last line needs no line end
    ExpectLoad("6\r3\rmore", "3", "2");                       // a CR alone ends a line too
    ExpectLoad("0\r\n-0\r\n", "0", "0");
    ExpectLoad("many\r\n0\r\n", "0", "0"); // line 1 is not looked at without games
    ExpectLoad(std::nullopt, "0", "0");    // no file yet
}

TEST(LoadScore, StopsOnBadFiles) {
    const std::vector<std::pair<const char*, RunTimeError>> cases = {
        {"", kInputPastEndOfFile},        {"5\r\n", kInputPastEndOfFile}, {"5\n3\r\n", kInputPastEndOfFile},
        {"5\r\nmany\r\n", kTypeMismatch}, {"5\r\n\r\n", kTypeMismatch},   {"5\r\n\n3\r\n", kTypeMismatch},
        {"5x\r\n2\r\n", kTypeMismatch},   {"5\r\n1e999\r\n", kOverflow},  {"1e300\r\n1e-300\r\n", kOverflow},
    };
    for (const auto& [file, error] : cases) {
        const ScoreLoad load = LoadScore(file);
        EXPECT_EQ(load.error ? load.error->number : 0, error.number) << file;
    }
}

TEST(StrictNumber, AcceptsOnlyAWholeNumber) {
    const std::vector<std::pair<const char*, double>> good = {
        {" 5 ", 5},     {"\t-2.5e3 ", -2500}, {"+.5", 0.5},          {"5.", 5},
        {"25E-1", 2.5}, {"1e-999", 0},        {"-1e999", -HUGE_VAL},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(StrictNumber(text), value) << text;
    for (const char* text : {"", "  ", "5x", "1e", ".", "- 5", "5 5", "0x10", "1,5", "5\n"})
        EXPECT_EQ(StrictNumber(text), std::nullopt) << text;
    // More digits than the exponent has: the exponent still decides between nothing and too much.
    const std::string zeros(2000000, '0');
    EXPECT_EQ(StrictNumber("1" + zeros + "e-1000000000"), 0.0);
    EXPECT_EQ(StrictNumber("0." + zeros + "1e1000000000"), HUGE_VAL);
    EXPECT_EQ(StrictNumber("0." + zeros + "15e2000001"), 1.5);
}

TEST(StrictNumber, GivesTheNearestDouble) {
    const std::string many(900, '0'); // past the digits that decide: what follows still tips a tie
    const std::vector<std::pair<std::string, double>> cases = {
        {"9007199254740993", 0x1p53}, // a tie goes to the even neighbour
        {"9007199254740993." + many + "1", 0x1.0000000000001p53},
        {"9007199254740995", 0x1.0000000000002p53},
        {"1.00000000000000011102230246251565404236316680908203125", 1.0},
        {"1.00000000000000011102230246251565404236316680908203125" + many + "1", 0x1.0000000000001p0},
        {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {"2.4703282292062327e-324", 0.0},
        {"2.4703282292062328e-324", 0x1p-1074},
        {"1.7976931348623158e308", DBL_MAX},
        {"1.7976931348623159e308", HUGE_VAL},
        {"0.1", 0x1.999999999999ap-4},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrictNumber(text), value) << text.substr(0, 60);
}

TEST(LenientNumber, TakesTheLongestLeadingNumber) {
    const std::vector<std::pair<const char*, double>> cases = {
        {"12abc", 12}, {" 1 2 ", 12}, {"-3.5e2x", -350}, {"1e+", 1},
        {". 5", 0.5},  {"abc", 0},    {"", 0},           {"--5", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(LenientNumber(text), value) << text;
}

TEST(ScoreFileWriting, WritesBlankFramedNumbersThatLoadAgain) {
    EXPECT_EQ(PrintField(-2), "-2 ");
    EXPECT_EQ(ResetScoreFile(), " 0 \r\n 0 \r\n");
    EXPECT_EQ(UpdatedScoreFile({"16", "3"}, 5), " 21 \r\n 4 \r\n");
    EXPECT_EQ(UpdatedScoreFile(LoadScore("many\r\n0\r\n").lines, 4), " 4 \r\n 1 \r\n");
    EXPECT_EQ(UpdatedScoreFile(LoadScore(std::nullopt).lines, 6), " 6 \r\n 1 \r\n");
    EXPECT_EQ(UpdatedScoreFile({" 1e999", "x"}, 3), " 3 \r\n 1 \r\n"); // unusable counts are 0
    const std::string big = UpdatedScoreFile({"999999999999999", "199999999999999"}, 1);
    EXPECT_EQ(big, " 1E+15 \r\n 200000000000000 \r\n");
    ExpectLoad(big, " 200000000000000 ", "5");
    // Rounded to 15 digits the largest doubles pass the range: written a step lower, they load again.
    EXPECT_EQ(PrintField(-DBL_MAX), "-1.79769313486231E+308 ");
    ExpectLoad(UpdatedScoreFile({"1.7976931348623157e308", "1"}, 0), " 2 ", "8.98846567431155E+307");
}

} // namespace
} // namespace cardtest
