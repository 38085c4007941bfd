#include "card_game.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "number_text.h"

namespace cardtest {
namespace {

double ChiSquare(const std::vector<int>& counts, double expected) {
    double sum = 0;
    for (int c : counts)
        sum += (c - expected) * (c - expected) / expected;
    return sum;
}

// The deal reseeds before every card, and in a tight loop the clock does not move.
TEST(DealDeck, CardsAreUniformAndIndependentUnderAStillClock) {
    CardRandom rng;
    std::vector<int> symbols(5), pairs(25);
    for (int game = 0; game < 4000; ++game) {
        const Deck deck = DealDeck(rng, [] { return 43200.5f; });
        for (int i = 0; i < kGameLength; ++i) {
            ASSERT_TRUE(deck[i] >= kWaves && deck[i] <= kCross) << deck[i];
            ++symbols[deck[i] - 1];
            if (i > 0) ++pairs[(deck[i - 1] - 1) * 5 + deck[i] - 1];
        }
    }
    EXPECT_LT(ChiSquare(symbols, 4000 * 25 / 5), 18.47); // df 4, p = 0.001
    EXPECT_LT(ChiSquare(pairs, 4000 * 24 / 25), 51.18);  // df 24, p = 0.001
}

TEST(CardRandom, StaysBelowOneAndMixesTheSeedIn) {
    CardRandom rng, a, b;
    for (int i = 0; i < 100000; ++i) {
        rng.Reseed(i % 7 == 0 ? std::nanf("") : i * -3.7f);
        const float r = rng.Next();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f) << r;
    }
    a.Reseed(1.0f);
    b.Reseed(2.0f);
    EXPECT_NE(a.Next(), b.Next()) << "the seed is ignored";
    b.Reseed(3.0f);
    a.Reseed(3.0f);
    EXPECT_NE(a.Next(), b.Next()) << "a reseed restarts from the seed alone";
}

TEST(CardFromRandom, ComputesInSinglePrecision) {
    EXPECT_EQ(CardFromRandom(0.0f), kWaves);
    EXPECT_EQ(CardFromRandom(0.6f), kStar);
    EXPECT_EQ(CardFromRandom(std::nextafter(1.0f, 0.0f)), kCross);
    // In double this would floor to 1; the float sum rounds up to exactly 2.
    EXPECT_EQ(CardFromRandom(std::nextafter(0.2f, 0.0f)), kSquare);
}

TEST(CardGame, CountsTurnsHitsAndRate) {
    Deck deck;
    deck.fill(kSquare);
    deck[0] = kStar;
    CardGame game(deck);
    EXPECT_EQ(game.GuessRate(), 0.0);
    const Turn first = game.NextCard(0); // no option selected
    EXPECT_TRUE(first.card == kStar && !first.hit);
    EXPECT_EQ(GeneralNumberText(game.GuessRate()), "0");
    game.NextCard(kSquare);
    EXPECT_EQ(GeneralNumberText(game.GuessRate()), "50");
    game.NextCard(kCross);
    EXPECT_EQ(GeneralNumberText(game.GuessRate()), "33.3333333333333");
    for (int i = 3; i < kGameLength; ++i) {
        EXPECT_FALSE(game.Finished());
        game.NextCard(i < 9 ? kSquare : kWaves);
    }
    EXPECT_EQ(std::tuple(game.Finished(), game.hits(), GeneralNumberText(game.GuessRate())),
              std::tuple(true, 7, "28"));
    const Turn extra = game.NextCard(kSquare); // nothing left to turn
    EXPECT_TRUE(extra.card == 0 && !extra.hit && game.cardsShown() == kGameLength && game.hits() == 7);
}

TEST(ChanceEstimate, GivesTheKnownValues) {
    const std::vector<std::pair<int16_t, const char*>> table = {
        {0, "264"}, {1, "42"},   {4, "5"},        {5, "5"},           {7, "9"},
        {10, "84"}, {12, "853"}, {17, "4204494"}, {20, "5477856103"}, {25, "2.98023436747181E+17"},
    };
    for (const auto& [hits, text] : table)
        EXPECT_EQ(GeneralNumberText(ChanceEstimate(hits)), text) << hits;
}

} // namespace
} // namespace cardtest
