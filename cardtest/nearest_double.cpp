#include "nearest_double.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace cardtest {

namespace {

// An unsigned integer of any size, 32 bits a word, lowest word first, no leading zero words.
using Big = std::vector<uint32_t>;

void MultiplyAdd(Big& n, uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (uint32_t& word : n) {
        carry += static_cast<uint64_t>(word) * factor;
        word = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    if (carry) n.push_back(static_cast<uint32_t>(carry));
}

int BitLength(const Big& n) {
    if (n.empty()) return 0;
    int bits = 32 * static_cast<int>(n.size() - 1);
    for (uint32_t top = n.back(); top; top >>= 1)
        ++bits;
    return bits;
}

void Trim(Big& n) {
    while (!n.empty() && n.back() == 0)
        n.pop_back();
}

Big ShiftedLeft(const Big& n, int shift) {
    Big out(static_cast<size_t>(shift / 32), 0);
    const int bits = shift % 32;
    uint32_t carry = 0;
    for (uint32_t word : n) {
        out.push_back(bits ? (word << bits) | carry : word);
        carry = bits ? word >> (32 - bits) : 0;
    }
    if (carry) out.push_back(carry);
    return out;
}

void Halve(Big& n) {
    uint32_t carry = 0;
    for (size_t i = n.size(); i-- > 0;) {
        const uint32_t word = n[i];
        n[i] = (word >> 1) | carry;
        carry = word << 31;
    }
    Trim(n);
}

int Compare(const Big& a, const Big& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void Subtract(Big& a, const Big& b) { // a >= b
    int64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        borrow += static_cast<int64_t>(a[i]) - (i < b.size() ? b[i] : 0);
        a[i] = static_cast<uint32_t>(borrow);
        borrow = borrow < 0 ? -1 : 0;
    }
    Trim(a);
}

} // namespace

double NearestDouble(std::string_view digits, int exponent) {
    // value = num / den x 2^power, num and den whole numbers: the digits times 10^power as 5^power x 2^power.
    Big num, den{1};
    for (char c : digits)
        MultiplyAdd(num, 10, static_cast<uint32_t>(c - '0'));
    Trim(num);
    if (num.empty()) return 0;
    const int power = exponent + 1 - static_cast<int>(digits.size());
    for (int i = 0; i < (power < 0 ? -power : power); ++i)
        MultiplyAdd(power < 0 ? den : num, 5, 0);

    // q = floor(num x 2^shift / den) with 54 bits, the double's 53 and one to round on, by long division;
    // what the division leaves says whether anything lies below q.
    int shift = 54 - (BitLength(num) - BitLength(den));
    uint64_t q;
    Big rest;
    for (;;) {
        rest = ShiftedLeft(num, shift > 0 ? shift : 0);
        Big step = ShiftedLeft(den, (shift < 0 ? -shift : 0) + 55);
        q = 0;
        for (int bit = 55; bit >= 0; --bit) {
            if (Compare(rest, step) >= 0) {
                Subtract(rest, step);
                q |= uint64_t{1} << bit;
            }
            Halve(step);
        }
        if (q >> 54) {
            --shift;
        } else if (!(q >> 53)) {
            ++shift;
        } else {
            break;
        }
    }
    // q x 2^e is the value, less than one unit of q; below the normal range fewer bits of q count.
    const int e = power - shift;
    int drop = 1;
    if (e + 1 < -1074) drop += -1074 - (e + 1);
    if (drop > 55) return 0;
    const uint64_t half = uint64_t{1} << (drop - 1);
    const uint64_t below = q & ((half << 1) - 1);
    uint64_t m = q >> drop;
    if (below > half || (below == half && (!rest.empty() || (m & 1)))) ++m;
    return std::ldexp(static_cast<double>(m), e + drop);
}

} // namespace cardtest
