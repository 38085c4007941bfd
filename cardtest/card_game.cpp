#include "card_game.h"

#include <cmath>
#include <cstring>

namespace cardtest {

namespace {

// A strong 64-bit bit mixer: every input bit affects every output bit.
uint64_t Mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

constexpr uint64_t kGolden = 0x9e3779b97f4a7c15u;

} // namespace

CardRandom::CardRandom() : state_(0x853c49e6748fea9bu) {}

void CardRandom::Reseed(float secondsSinceMidnight) {
    uint32_t bits;
    std::memcpy(&bits, &secondsSinceMidnight, sizeof bits);
    // Folding the old state in keeps the sequence moving when the same seed comes again.
    state_ = Mix(state_ ^ Mix(bits + kGolden));
}

float CardRandom::Next() {
    state_ += kGolden;
    // The top 24 bits fill a float's significand exactly, so the value is below 1.
    return static_cast<float>(Mix(state_) >> 40) * (1.0f / 16777216.0f);
}

int16_t CardFromRandom(float r) {
    const float scaled = r * 5.0f + 1.0f;
    return static_cast<int16_t>(std::floor(scaled));
}

Deck DealDeck(CardRandom& rng, const std::function<float()>& secondsSinceMidnight) {
    Deck deck{};
    for (auto& card : deck) {
        rng.Reseed(secondsSinceMidnight());
        card = CardFromRandom(rng.Next());
    }
    return deck;
}

CardGame::CardGame(const Deck& deck) : deck_(deck) {}

Turn CardGame::NextCard(int16_t guess) {
    if (Finished()) return {0, false};
    const int16_t card = deck_[cardsShown_++];
    const bool hit = guess != 0 && guess == card; // 0: no option selected
    if (hit) ++hits_;
    return {card, hit};
}

double CardGame::GuessRate() const {
    if (cardsShown_ == 0) return 0.0;
    return static_cast<double>(hits_) / cardsShown_ * 100;
}

double ChanceEstimate(int16_t hits) {
    float hitsFactorial = 1.0f;
    for (int i = 1; i <= hits; ++i)
        hitsFactorial = hitsFactorial * static_cast<float>(i);
    float missesFactorial = 1.0f;
    for (int i = 1; i <= kGameLength - hits; ++i)
        missesFactorial = missesFactorial * static_cast<float>(i);

    const double a = std::pow(0.8, kGameLength - hits);
    const double b = std::pow(0.2, hits);
    const double d = static_cast<double>(hitsFactorial) * static_cast<double>(missesFactorial);
    const double q = 1.55112E+25 / d;
    const double p = (b * q) * a;
    return std::floor(1.0 / p);
}

} // namespace cardtest
