// Any bytes as a saved-properties block, and as the entries of a block whose header announces them
// exactly. The layout leaves a writer no choice, so a block that decodes encodes back to exactly its
// bytes. The same bytes, read loosely as a list of entries, must encode to a block that decodes to that
// list, or be refused.
#include "persist/persist_format.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "fuzz_check.h"

using namespace persist;

namespace {

// Entries from any bytes: key length, key units, type, data length, data; one byte per length so that
// small inputs make many entries, and the types the format checks come up often.
std::vector<Entry> LooseEntries(const uint8_t* data, size_t size) {
    std::vector<Entry> entries;
    size_t at = 0;
    auto take = [&](size_t n) {
        const size_t start = std::min(at, size);
        at = std::min(at + n, size);
        return std::vector<uint8_t>(data + start, data + at);
    };
    while (at < size) {
        Entry e;
        const std::vector<uint8_t> head = take(1), key = take(head[0] * 2u);
        for (size_t i = 0; i + 1 < key.size(); i += 2)
            e.key.push_back(static_cast<char16_t>(key[i] | key[i + 1] << 8));
        const std::vector<uint8_t> type = take(2);
        e.type = type.size() == 2 ? static_cast<uint16_t>(type[0] % 32 | type[1] << 8) : 0;
        const std::vector<uint8_t> length = take(1);
        e.data = take(length.empty() ? 0 : length[0]);
        entries.push_back(std::move(e));
    }
    return entries;
}

void CheckBlock(const uint8_t* data, size_t size) {
    // A reader asks with the header alone; the bytes after it change nothing.
    const std::optional<size_t> announced = EncodedSize(data, size);
    FUZZ_CHECK(announced == EncodedSize(data, std::min(size, kHeaderSize)));

    if (const std::optional<std::vector<Entry>> entries = Decode(data, size)) {
        FUZZ_CHECK(announced == size);
        const std::vector<uint8_t> block = Encode(*entries);
        FUZZ_CHECK(block.size() == size && std::equal(block.begin(), block.end(), data));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckBlock(data, size);

    // An allocation of its own, exactly as long, so that reading past the entries shows.
    const size_t framedSize = kHeaderSize + size;
    const auto framed = std::make_unique<uint8_t[]>(framedSize);
    const uint8_t magicAndVersion[] = {'D', 'X', 'P', 'B', 1, 0};
    std::memcpy(framed.get(), magicAndVersion, sizeof magicAndVersion);
    for (int i = 0; i < 4; ++i)
        framed[6 + i] = static_cast<uint8_t>(size >> 8 * i);
    if (size > 0) std::memcpy(framed.get() + kHeaderSize, data, size);
    CheckBlock(framed.get(), framedSize);

    const std::vector<Entry> loose = LooseEntries(data, size);
    const std::vector<uint8_t> block = Encode(loose);
    if (!block.empty()) {
        FUZZ_CHECK(EncodedSize(block.data(), block.size()) == block.size());
        FUZZ_CHECK(Decode(block.data(), block.size()) == loose);
    }
    return 0;
}
