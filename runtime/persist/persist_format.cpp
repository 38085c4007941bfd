#include "persist/persist_format.h"

#include <algorithm>
#include <cstring>

namespace persist {
namespace {

constexpr uint8_t kMagic[4] = {'D', 'X', 'P', 'B'};
constexpr size_t kEntryOverhead = 2 + 2 + 4; // key length, type, data length

// The byte count a type must have; 0 when the format does not fix it.
size_t FixedSize(uint16_t type) {
    switch (type) {
    case kUi1:
        return 1;
    case kI2:
    case kBool:
    case kUi2:
        return 2;
    case kI4:
    case kR4:
    case kUi4:
        return 4;
    case kR8:
    case kCy:
    case kDate:
        return 8;
    default:
        return 0;
    }
}

bool ValueIsWellFormed(uint16_t type, size_t size) {
    if (const size_t fixed = FixedSize(type)) return size == fixed;
    if (type == kBstr) return size % 2 == 0;
    if (type == kObject) return size >= kClassIdSize;
    return true;
}

void Append16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Simple one-to-one case folding for the scripts property names are likely to be written in.
char16_t Fold(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    if (c == 0x178) return 0xFF;
    const bool evenUpper =
        (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    if (evenUpper) return static_cast<char16_t>(c | 1);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper && (c & 1)) return static_cast<char16_t>(c + 1);
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    if (c == 0x3C2) return 0x3C3; // final sigma
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

} // namespace

std::vector<uint8_t> Encode(const std::vector<Entry>& entries) {
    size_t total = kHeaderSize;
    for (const Entry& e : entries) {
        if (e.key.size() > 0xFFFF || !ValueIsWellFormed(e.type, e.data.size())) return {};
        // Checked term by term so that no sum can wrap before it is compared.
        const size_t room = kMaxEncodedSize - total;
        if (kEntryOverhead > room || e.key.size() * 2 > room - kEntryOverhead ||
            e.data.size() > room - kEntryOverhead - e.key.size() * 2)
            return {};
        total += kEntryOverhead + e.key.size() * 2 + e.data.size();
    }

    std::vector<uint8_t> out;
    out.reserve(total);
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    Append16(out, kVersion);
    Append32(out, static_cast<uint32_t>(total - kHeaderSize));
    for (const Entry& e : entries) {
        Append16(out, static_cast<uint16_t>(e.key.size()));
        for (char16_t c : e.key)
            Append16(out, c);
        Append16(out, e.type);
        Append32(out, static_cast<uint32_t>(e.data.size()));
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

std::optional<size_t> EncodedSize(const uint8_t* header, size_t size) {
    if (!header || size < kHeaderSize) return std::nullopt;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || Read16(header + 4) != kVersion)
        return std::nullopt;
    const uint32_t body = Read32(header + 6);
    if (body > kMaxEncodedSize - kHeaderSize) return std::nullopt;
    return kHeaderSize + body;
}

std::optional<std::vector<Entry>> Decode(const uint8_t* data, size_t size) {
    const std::optional<size_t> announced = EncodedSize(data, size);
    if (!announced || *announced != size) return std::nullopt;

    std::vector<Entry> entries;
    size_t at = kHeaderSize;
    while (at < size) {
        if (size - at < 2) return std::nullopt;
        const size_t keyUnits = Read16(data + at);
        at += 2;
        if (size - at < keyUnits * 2 + 2 + 4) return std::nullopt;
        Entry e;
        e.key.resize(keyUnits);
        for (size_t i = 0; i < keyUnits; ++i, at += 2)
            e.key[i] = static_cast<char16_t>(Read16(data + at));
        e.type = Read16(data + at);
        const size_t length = Read32(data + at + 2);
        at += 6;
        if (length > size - at || !ValueIsWellFormed(e.type, length)) return std::nullopt;
        e.data.assign(data + at, data + at + length);
        at += length;
        entries.push_back(std::move(e));
    }
    return entries;
}

bool KeysEqual(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

const Entry* Find(const std::vector<Entry>& entries, std::u16string_view key) {
    for (const Entry& e : entries)
        if (KeysEqual(e.key, key)) return &e;
    return nullptr;
}

void Put(std::vector<Entry>& entries, Entry entry) {
    for (Entry& e : entries) {
        if (KeysEqual(e.key, entry.key)) {
            e = std::move(entry);
            return;
        }
    }
    entries.push_back(std::move(entry));
}

} // namespace persist
