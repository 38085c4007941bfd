#include "persist/persist_format.h"

#include <gtest/gtest.h>

namespace persist {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Utf16(std::u16string_view s) {
    Bytes out;
    for (char16_t c : s)
        out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return out;
}

Bytes Object(Bytes saved) {
    saved.insert(saved.begin(), kClassIdSize, 0xA5);
    return saved;
}

// A value of every type the format knows, an opaque one, awkward keys and texts.
const std::vector<Entry> kEveryType = {{u"Value", kI2, {0xFE, 0xFF}},
                                       {u"Count", kI4, {1, 2, 3, 4}},
                                       {u"Ratio", kR4, {0, 0, 0x80, 0x3F}},
                                       {u"Exact", kR8, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
                                       {u"Money", kCy, {0x10, 0x27, 0, 0, 0, 0, 0, 0}},
                                       {u"When", kDate, {0, 0, 0, 0, 0, 0x40, 0xE5, 0x40}},
                                       {u"Caption", kBstr, Utf16(u"Größe € \U0001F600")},
                                       {u"Empty", kBstr, {}},
                                       {u"Enabled", kBool, {0xFF, 0xFF}},
                                       {u"Byte", kUi1, {0xFF}},
                                       {u"Word", kUi2, {0x34, 0x12}},
                                       {u"DWord", kUi4, {0xFF, 0xFF, 0xFF, 0xFF}},
                                       {u"Font", kObject, Object({1, 2, 3})},
                                       {u"Icon", kObject, Object({})},
                                       {u"Цвет", kBstr, Utf16(u"красный")},
                                       {u"", 0, {}},
                                       {u"Future", 0x4011, {1, 2, 3}}};

TEST(PersistFormat, LaysOutTheDocumentedBytesAndRoundTrips) {
    const Bytes expected = {'D', 'X', 'P', 'B', 1, 0, 12,   0,   0, 0, // magic, version, bytes that follow
                            1,   0,   'A', 0,                          // key
                            2,   0,   2,   0,   0, 0, 0x34, 0x12};     // I2, 2 bytes
    EXPECT_EQ(Encode({{u"A", kI2, {0x34, 0x12}}}), expected);
    EXPECT_EQ(EncodedSize(expected.data(), kHeaderSize), expected.size());
    for (const std::vector<Entry>& entries : {kEveryType, std::vector<Entry>{}}) {
        const Bytes block = Encode(entries);
        EXPECT_EQ(EncodedSize(block.data(), block.size()), block.size());
        EXPECT_EQ(Decode(block.data(), block.size()), entries);
    }
}

TEST(PersistFormat, EncodeRefusesWhatCannotBeReadBack) {
    const size_t roomForHuge = kMaxEncodedSize - kHeaderSize - 8 - 8; // overhead and the key "Huge"
    for (const Entry& bad :
         {Entry{std::u16string(0x10000, u'k'), kI4, {0, 0, 0, 0}}, Entry{u"Short", kI4, {0, 0, 0}},
          Entry{u"Long", kBool, {0, 0, 0}}, Entry{u"Odd", kBstr, {'a'}},
          Entry{u"NoId", kObject, Bytes(kClassIdSize - 1)}, Entry{u"Huge", 99, Bytes(roomForHuge + 1)}})
        EXPECT_TRUE(Encode({bad}).empty()) << bad.key.size();
    const Bytes largest = Encode({{u"Huge", 99, Bytes(roomForHuge)}});
    EXPECT_EQ(EncodedSize(largest.data(), largest.size()), kMaxEncodedSize);
}

TEST(PersistFormat, RefusesEveryDamagedBlock) {
    const Bytes good = Encode(kEveryType);
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + n); // its own allocation, so overreads show
        EXPECT_EQ(Decode(cut.data(), cut.size()), std::nullopt) << n;
        // With the header announcing the shorter length, only cuts between entries are valid blocks.
        if (n < kHeaderSize) continue;
        Bytes fixed = cut;
        fixed[6] = static_cast<uint8_t>(n - kHeaderSize);
        fixed[7] = static_cast<uint8_t>((n - kHeaderSize) >> 8);
        if (auto entries = Decode(fixed.data(), fixed.size())) {
            EXPECT_EQ(*entries, std::vector<Entry>(kEveryType.begin(), kEveryType.begin() + entries->size()));
            EXPECT_EQ(Encode(*entries), fixed);
        }
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(Decode(longer.data(), longer.size()), std::nullopt);

    const size_t type = kHeaderSize + 2 + 10; // of the first entry, "Value" (I2)
    const std::vector<std::pair<size_t, Bytes>> patches = {
        {0, {'D', 'X', 'P', 'b'}},            // magic
        {4, {2, 0}},                          // a later version
        {4, {0, 0}},                          // no version 0
        {6, {0xFF, 0xFF, 0xFF, 0xFF}},        // body past the end
        {6, {0xF7, 0xFF, 0xFF, 0x03}},        // body past the limit
        {kHeaderSize, {0xFF, 0xFF}},          // key past the end
        {type + 2, {0xFF, 0xFF, 0xFF, 0xFF}}, // data past the end
        {type + 2, {3, 0, 0, 0}},             // I2 of 3 bytes
        {type, {kI4, 0}},                     // I4 of 2 bytes
        {type, {kBstr, 0, 1, 0, 0, 0}},       // BSTR of 1 byte
        {type, {kObject, 0}},                 // object of 2 bytes
    };
    for (const auto& [at, bytes] : patches) {
        Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + at);
        EXPECT_EQ(Decode(b.data(), b.size()), std::nullopt) << at;
        if (at < kHeaderSize) {
            EXPECT_EQ(EncodedSize(b.data(), b.size()), std::nullopt) << at;
        }
    }
    EXPECT_EQ(EncodedSize(good.data(), kHeaderSize - 1), std::nullopt);

    // Any single-byte change fails cleanly or decodes to entries that encode back to exactly those bytes.
    for (size_t at = 0; at < good.size(); ++at) {
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes b = good;
            b[at] ^= flip;
            if (auto entries = Decode(b.data(), b.size())) {
                EXPECT_EQ(Encode(*entries), b) << at;
            }
        }
    }
}

TEST(PersistFormat, FindsAndPutsKeysWithoutCase) {
    for (auto [a, b] : {std::pair{u"BackColor", u"backcolor"}, {u"ÀÉÎÕÜÞ", u"àéîõüþ"}, {u"Ÿ", u"ÿ"},
                        {u"ŁÓDŹ", u"łódź"}, {u"ΣΟΦΙΑΣ", u"σοφιας"}, {u"ЀЁлка", u"ѐёЛКА"}, {u"", u""}})
        EXPECT_TRUE(KeysEqual(a, b) && KeysEqual(b, a)) << std::u16string_view(a).size();
    for (auto [a, b] : {std::pair{u"Font", u"Fonts"}, {u"@", u"`"}, {u"[", u"{"}, {u"×", u"÷"}, {u"ı", u"i"}})
        EXPECT_FALSE(KeysEqual(a, b)) << std::u16string_view(a).size();

    std::vector<Entry> entries = {{u"caption", kBstr, Utf16(u"old")}, {u"BackColor", kI4, {1, 0, 0, 0}}};
    EXPECT_EQ(Find(entries, u"CAPTION"), &entries[0]);
    EXPECT_EQ(Find(entries, u"Caption2"), nullptr);
    Put(entries, {u"Caption", kBstr, Utf16(u"new")});
    Put(entries, {u"Enabled", kBool, {0, 0}});
    EXPECT_EQ(entries, std::vector<Entry>({{u"Caption", kBstr, Utf16(u"new")},
                                           {u"BackColor", kI4, {1, 0, 0, 0}},
                                           {u"Enabled", kBool, {0, 0}}}));
}

} // namespace
} // namespace persist
