// One game of the card test: the deck, the turns, the guess rate and the chance estimate.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace cardtest {

constexpr int kGameLength = 25;
enum : int16_t { kWaves = 1, kSquare = 2, kCircle = 3, kStar = 4, kCross = 5 }; // symbol codes
using Deck = std::array<int16_t, kGameLength>;

// Single-precision uniform values in [0, 1). The deal reseeds it from the time of day before every
// draw; the seed is mixed into the state rather than replacing it, so a clock that has not moved
// since the last draw still gives a fresh value.
class CardRandom {
public:
    CardRandom();
    void Reseed(float secondsSinceMidnight);
    float Next();

private:
    uint64_t state_;
};

// The symbol for a uniform value r in [0, 1), computed in single precision.
int16_t CardFromRandom(float r);

// Deals 25 independent cards, reseeding from the clock before each one.
Deck DealDeck(CardRandom& rng, const std::function<float()>& secondsSinceMidnight);

struct Turn {
    int16_t card; // symbol code of the card turned; 0 when the game was already over
    bool hit;
};

class CardGame {
public:
    explicit CardGame(const Deck& deck);
    // guess: the symbol code of the selected option, 0 when none is selected. Once the game is
    // finished a further call turns nothing and returns {0, false}.
    Turn NextCard(int16_t guess);
    int16_t cardsShown() const { return cardsShown_; }
    int16_t hits() const { return hits_; }
    bool Finished() const { return cardsShown_ == kGameLength; }
    // Percent of right guesses; 0 before the first card.
    double GuessRate() const;

private:
    Deck deck_;
    int16_t cardsShown_ = 0;
    int16_t hits_ = 0;
};

// How many games it takes by chance for one score of `hits` (0 to 25) out of 25, floored. The
// factorials are kept in single precision and 25! is a six-digit constant, which fixes the digits
// shown for high scores.
double ChanceEstimate(int16_t hits);

} // namespace cardtest
