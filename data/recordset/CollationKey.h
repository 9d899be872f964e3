#pragma once

#include <cstddef>

// A text's place in the collation as bytes: two texts' keys compare with
// memcmp (a key that is the start of another is smaller) exactly as
// Collation::compare compares the texts. Made once per value, a key turns a
// sort's comparisons into byte comparisons.
class CollationKey
{
public:
    // Writes the key of the UTF-8 text at `out`, which has room for
    // bytesAtMost(length); returns the end of the key.
    static char *write(char *out, const char *utf8, int length);
    // No character takes more than five bytes of key, nor fewer than one of UTF-8.
    static constexpr size_t bytesAtMost(int utf8Length) { return size_t(utf8Length) * 5; }
};
