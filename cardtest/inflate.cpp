#include "inflate.h"

#include <cstring>

namespace cardtest {

namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}

    // `count` bits, first bit lowest; past the end reads zeros and marks the input short.
    unsigned Bits(int count) {
        while (held_ < count) {
            if (at_ == end_) {
                short_ = true;
                return 0;
            }
            buffer_ |= static_cast<uint32_t>(*at_++) << held_;
            held_ += 8;
        }
        const unsigned value = buffer_ & ((1u << count) - 1);
        buffer_ >>= count;
        held_ -= count;
        return value;
    }
    // Drops the bits left of the current byte; a stored block starts on the next one.
    void AlignToByte() {
        buffer_ = 0;
        held_ = 0;
    }
    bool Bytes(size_t count, std::vector<uint8_t>& out) {
        if (static_cast<size_t>(end_ - at_) < count) return false;
        out.insert(out.end(), at_, at_ + count);
        at_ += count;
        return true;
    }
    bool Short() const { return short_; }

private:
    const uint8_t* at_;
    const uint8_t* end_;
    uint32_t buffer_ = 0;
    int held_ = 0;
    bool short_ = false;
};

// A canonical Huffman code: how many codes each length has, and the symbols in code order.
struct Huffman {
    uint16_t counts[16];
    uint16_t symbols[288];
};

bool Build(Huffman& code, const uint8_t* lengths, int n) {
    std::memset(code.counts, 0, sizeof code.counts);
    for (int i = 0; i < n; ++i)
        ++code.counts[lengths[i]];
    int left = 1; // codes still free at the current length
    for (int length = 1; length < 16; ++length) {
        left = left * 2 - code.counts[length];
        if (left < 0) return false;
    }
    uint16_t offsets[16] = {};
    for (int length = 1; length < 15; ++length)
        offsets[length + 1] = offsets[length] + code.counts[length];
    for (int symbol = 0; symbol < n; ++symbol)
        if (lengths[symbol]) code.symbols[offsets[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
    return true;
}

int Decode(BitReader& in, const Huffman& code) {
    int bits = 0, first = 0, index = 0;
    for (int length = 1; length < 16; ++length) {
        bits |= static_cast<int>(in.Bits(1));
        const int count = code.counts[length];
        if (bits - first < count) return code.symbols[index + bits - first];
        index += count;
        first = (first + count) * 2;
        bits *= 2;
    }
    return -1;
}

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

bool InflateBlock(BitReader& in, const Huffman& lengths, const Huffman& distances, std::vector<uint8_t>& out,
                  size_t limit) {
    for (;;) {
        const int symbol = Decode(in, lengths);
        if (symbol < 0 || in.Short()) return false;
        if (symbol == 256) return true;
        if (out.size() >= limit) return false;
        if (symbol < 256) {
            out.push_back(static_cast<uint8_t>(symbol));
            continue;
        }
        if (symbol > 285) return false;
        const size_t length = kLengthBase[symbol - 257] + in.Bits(kLengthExtra[symbol - 257]);
        const int code = Decode(in, distances);
        if (code < 0 || code > 29) return false;
        const size_t distance = kDistanceBase[code] + in.Bits(code < 4 ? 0 : code / 2 - 1);
        if (in.Short() || distance > out.size() || length > limit - out.size()) return false;
        for (size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    }
}

bool DynamicCodes(BitReader& in, Huffman& lengths, Huffman& distances) {
    const int lengthCount = static_cast<int>(in.Bits(5)) + 257;
    const int distanceCount = static_cast<int>(in.Bits(5)) + 1;
    const int codeLengthCount = static_cast<int>(in.Bits(4)) + 4;
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t sizes[288 + 32] = {};
    for (int i = 0; i < codeLengthCount; ++i)
        sizes[kOrder[i]] = static_cast<uint8_t>(in.Bits(3));
    Huffman codeLengths;
    if (lengthCount > 286 || distanceCount > 30 || !Build(codeLengths, sizes, 19)) return false;
    for (int i = 0; i < lengthCount + distanceCount;) {
        const int symbol = Decode(in, codeLengths);
        if (symbol < 0 || in.Short()) return false;
        if (symbol < 16) {
            sizes[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        int times;
        if (symbol == 16) {
            if (i == 0) return false;
            repeated = sizes[i - 1];
            times = 3 + static_cast<int>(in.Bits(2));
        } else {
            times = symbol == 17 ? 3 + static_cast<int>(in.Bits(3)) : 11 + static_cast<int>(in.Bits(7));
        }
        if (i + times > lengthCount + distanceCount) return false;
        while (times--)
            sizes[i++] = repeated;
    }
    return sizes[256] != 0 && Build(lengths, sizes, lengthCount) &&
           Build(distances, sizes + lengthCount, distanceCount);
}

uint32_t Crc32(const std::vector<uint8_t>& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

uint32_t Little32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

std::optional<std::vector<uint8_t>> Gunzip(const uint8_t* data, size_t size) {
    // A 10-byte header (deflate, no optional fields), then the deflate stream, its CRC-32 and its size.
    if (size < 18 || data[0] != 0x1F || data[1] != 0x8B || data[2] != 8 || data[3] != 0) return std::nullopt;
    const size_t expected = Little32(data + size - 4);
    BitReader in(data + 10, size - 18);
    std::vector<uint8_t> out;
    out.reserve(expected);
    for (bool last = false; !last;) {
        last = in.Bits(1);
        const unsigned type = in.Bits(2);
        bool good = false;
        if (type == 0) {
            in.AlignToByte();
            const unsigned length = in.Bits(16);
            good = (in.Bits(16) ^ 0xFFFF) == length && length <= expected - out.size() && in.Bytes(length, out);
        } else if (type == 1) {
            Huffman lengths, distances;
            uint8_t sizes[288 + 30];
            std::memset(sizes, 8, 144);
            std::memset(sizes + 144, 9, 112);
            std::memset(sizes + 256, 7, 24);
            std::memset(sizes + 280, 8, 8);
            std::memset(sizes + 288, 5, 30);
            good = Build(lengths, sizes, 288) && Build(distances, sizes + 288, 30) &&
                   InflateBlock(in, lengths, distances, out, expected);
        } else if (type == 2) {
            Huffman lengths, distances;
            good = DynamicCodes(in, lengths, distances) && InflateBlock(in, lengths, distances, out, expected);
        }
        if (!good || in.Short()) return std::nullopt;
    }
    if (out.size() != expected || Crc32(out) != Little32(data + size - 8)) return std::nullopt;
    return out;
}

} // namespace cardtest
