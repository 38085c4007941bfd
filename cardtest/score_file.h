// "score.dat": total right guesses (line 1) and games played (line 2), each line ending in CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cardtest {

struct RunTimeError {
    int number;
    std::string_view description;
};
inline constexpr RunTimeError kOverflow{6, "Overflow"};
inline constexpr RunTimeError kTypeMismatch{13, "Type mismatch"};
inline constexpr RunTimeError kFileNotFound{53, "File not found"};
inline constexpr RunTimeError kInputPastEndOfFile{62, "Input past end of file"};

// Lines 1 and 2 as read, without their line ends.
struct ScoreLines {
    std::string totalHitsText, gamesText;
};

struct ScoreLoad {
    ScoreLines lines;
    std::string gamesPlayed;           // caption for the games-played label
    std::string average;               // caption for the average label
    std::optional<RunTimeError> error; // set: the program must stop at start
};

// fileBytes: the whole file, or nullopt when there is none. A missing file reads as a fresh one.
ScoreLoad LoadScore(std::optional<std::string_view> fileBytes);

// The whole text is one number, blanks (spaces, tabs) around it allowed; nullopt otherwise.
// A number beyond the range of a double gives an infinity.
std::optional<double> StrictNumber(std::string_view text);
// Blanks anywhere are skipped and the longest leading number is taken; 0 when there is none.
double LenientNumber(std::string_view text);

// The complete new file after a game with `hits`, from the lines read at start. A line without a
// usable number counts as 0.
std::string UpdatedScoreFile(const ScoreLines& lines, int16_t hits);
std::string ResetScoreFile();
// A number as the file holds it: a blank in place of the sign when not negative, the digits, a blank.
// Beyond ±1.79769313486231E+308 that number, the largest of 15 digits that still reads back.
std::string PrintField(double value);

} // namespace cardtest
