// "score.dat" as any bytes: LoadScore and both number readers must cope, and what UpdatedScoreFile
// writes from the lines read must load again, each field reading back as the number it prints.
#include "score_file.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"

using namespace cardtest;

namespace {

bool Identical(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckWrittenField(std::string_view field) {
    const std::optional<double> value = StrictNumber(field);
    FUZZ_CHECK(value && std::isfinite(*value));
    FUZZ_CHECK(PrintField(*value) == field);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // A whole number is also the longest leading one once blanks are gone, and the double the host's
    // C library reads it as.
    if (const std::optional<double> strict = StrictNumber(bytes)) {
        FUZZ_CHECK(Identical(*strict, LenientNumber(bytes)));
        FUZZ_CHECK(Identical(*strict, std::strtod(std::string(bytes).c_str(), nullptr)));
    }

    const ScoreLoad load = LoadScore(bytes);
    FUZZ_CHECK(load.lines.totalHitsText.find('\r') == std::string::npos);
    FUZZ_CHECK(load.lines.gamesText.find('\r') == std::string::npos);
    FUZZ_CHECK(load.error || (!load.gamesPlayed.empty() && !load.average.empty()));

    // The first two bytes double as the game's hits.
    const auto hits = Take<int16_t>(data, size, 0);
    const std::string written = UpdatedScoreFile(load.lines, hits);
    const ScoreLoad again = LoadScore(written);
    FUZZ_CHECK(written == again.lines.totalHitsText + "\r\n" + again.lines.gamesText + "\r\n");
    CheckWrittenField(again.lines.totalHitsText);
    CheckWrittenField(again.lines.gamesText);
    // Two readable counts can still give an average beyond a double (a hand-made tiny game count);
    // refusing that at start is the reader's way with any overflow.
    FUZZ_CHECK(!again.error || again.error->number == kOverflow.number);
    return 0;
}
