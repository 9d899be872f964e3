#include "CollationKey.h"

#include "Collation.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <vector>

namespace {

// The weights of the characters a catalogue is written in get one byte each;
// the code of a weight is even and tells how many of them are below it. Any
// other weight gets the odd byte of the gap it falls into among them,
// followed by its four bytes, so that codes compare as the weights do and no
// code is the start of another.
struct Codes
{
    std::array<quint32, 127> common{};
    int count = 0;
    std::array<unsigned char, 0x460> ofCharacter{}; // the one-byte code, or 0

    Codes()
    {
        std::vector<quint32> weights;
        const auto add = [&](char32_t c) { weights.push_back(Collation::weight(c)); };
        for (char32_t c = 0x20; c < 0x7F; ++c)
            add(c);
        for (char32_t c = 0x430; c <= 0x44F; ++c)
            add(c);
        add(0x451);
        std::sort(weights.begin(), weights.end());
        weights.erase(std::unique(weights.begin(), weights.end()), weights.end());
        count = int(weights.size());
        std::copy(weights.begin(), weights.end(), common.begin());
        for (char32_t c = 0; c < ofCharacter.size(); ++c) {
            const quint32 w = Collation::weight(c);
            const auto at = std::lower_bound(weights.begin(), weights.end(), w);
            if (at != weights.end() && *at == w)
                ofCharacter[c] = static_cast<unsigned char>(2 * (at - weights.begin() + 1));
        }
    }

    // Writes the code of `c` at `out`; returns the end of what it wrote (at
    // most five bytes).
    char *write(char *out, char32_t c) const
    {
        if (c < ofCharacter.size() && ofCharacter[c]) {
            *out++ = static_cast<char>(ofCharacter[c]);
            return out;
        }
        const quint32 w = Collation::weight(c);
        const auto at = std::lower_bound(common.begin(), common.begin() + count, w);
        if (at != common.begin() + count && *at == w) {
            *out++ = static_cast<char>(2 * (at - common.begin() + 1));
            return out;
        }
        *out++ = static_cast<char>(2 * (at - common.begin()) + 1);
        for (int shift = 24; shift >= 0; shift -= 8)
            *out++ = static_cast<char>((w >> shift) & 0xFF);
        return out;
    }
};

const Codes &codes()
{
    static const Codes table; // thread-safe since C++11
    return table;
}

} // namespace

char *CollationKey::write(char *out, const char *utf8, int length)
{
    const Codes &table = codes();
    const char *p = utf8;
    const char *end = utf8 + length;
    while (p != end) {
        const auto lead = static_cast<unsigned char>(*p);
        // The common cases without decoding: ASCII, and the two-byte Cyrillic
        // letters, as the decoder would read them.
        if (lead < 0x80 && table.ofCharacter[lead]) {
            *out++ = static_cast<char>(table.ofCharacter[lead]);
            ++p;
            continue;
        }
        if ((lead == 0xD0 || lead == 0xD1) && end - p > 1 &&
            (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80) {
            const char32_t c = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(p[1]) & 0x3Fu);
            if (c < table.ofCharacter.size() && table.ofCharacter[c]) {
                *out++ = static_cast<char>(table.ofCharacter[c]);
                p += 2;
                continue;
            }
        }
        out = table.write(out, Collation::decode(p, end));
    }
    return out;
}
