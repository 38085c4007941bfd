// A control's saved properties: an ordered list of (key, typed value), and the binary block in which the
// runtime keeps that list in a stream (IPersistStreamInit) or in a storage's stream (IPersistStorage).
//
// Block layout, all integers little-endian:
//
//   offset  size  field
//   0       4     magic "DXPB" (0x44 0x58 0x50 0x42)
//   4       2     version, 1
//   6       4     number of bytes that follow the header (the entries), at most kMaxEncodedSize - 10
//   10      ...   entries, one after the other, nothing after the last:
//                   2  key length in UTF-16 code units (0 to 65535)
//                   *  key, UTF-16LE, as written by the control
//                   2  automation variant type of the value
//                   4  data length in bytes
//                   *  data
//
// Data per type: I2 2 bytes, I4 4, R4 4, R8 8, CY 8 (the 64-bit scaled integer), DATE 8 (the double),
// BOOL 2 (0 or -1), UI1 1, UI2 2, UI4 4, all two's complement or IEEE little-endian; BSTR an even number
// of bytes, the UTF-16LE code units without a terminator; object (13) the 16-byte class id of the object
// followed by whatever the object saved of itself. Other types are kept as opaque bytes, so a newer
// writer's values survive a round trip. Keys keep their case; lookups ignore it.
//
// A reader reads kHeaderSize bytes, asks EncodedSize for the whole block's size and reads exactly the rest;
// whatever follows in the stream belongs to someone else. Every length is checked against what is
// actually there before anything is allocated, so a damaged or hostile block is refused, never trusted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace persist {

// The variant types whose sizes the format checks, and the object payload.
enum Type : uint16_t {
    kI2 = 2,
    kI4 = 3,
    kR4 = 4,
    kR8 = 5,
    kCy = 6,
    kDate = 7,
    kBstr = 8,
    kBool = 11,
    kObject = 13,
    kUi1 = 17,
    kUi2 = 18,
    kUi4 = 19,
};

struct Entry {
    std::u16string key;        // as written; lookups ignore case
    uint16_t type = 0;         // automation variant type of the value
    std::vector<uint8_t> data; // the value's bytes as laid out above

    bool operator==(const Entry& other) const {
        return key == other.key && type == other.type && data == other.data;
    }
};

constexpr size_t kHeaderSize = 10;
constexpr uint16_t kVersion = 1;
constexpr size_t kMaxEncodedSize = size_t{64} << 20; // whole block, header included
constexpr size_t kClassIdSize = 16;

// The block for the entries; empty (never a valid block) when they cannot be stored: a key longer than
// 65535 units, a value the decoder would refuse (wrong fixed size, odd BSTR, object without class id),
// or more than kMaxEncodedSize in all. Refusing beats writing something that cannot be read back.
std::vector<uint8_t> Encode(const std::vector<Entry>& entries);

// The whole block's size as its header announces it; nullopt when fewer than kHeaderSize bytes are given,
// the magic or the version is not ours, or the size passes kMaxEncodedSize.
std::optional<size_t> EncodedSize(const uint8_t* header, size_t size);

// A whole block back into its entries; nullopt for anything damaged: bad magic, unknown version,
// truncation, a length running past the end, a fixed-size type with the wrong byte count, an odd BSTR
// length, an object shorter than its class id, bytes after the last entry.
std::optional<std::vector<Entry>> Decode(const uint8_t* data, size_t size);

// Equal without regard to case: ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic letters.
bool KeysEqual(std::u16string_view a, std::u16string_view b);

// The first entry whose key equals the given one without regard to case; nullptr when none does.
const Entry* Find(const std::vector<Entry>& entries, std::u16string_view key);

// Replaces the first entry with an equal key (keeping its position and the new key's spelling), else
// appends.
void Put(std::vector<Entry>& entries, Entry entry);

} // namespace persist
