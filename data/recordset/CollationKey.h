#pragma once

#include "LargeArray.h"

// A text's place in the collation as bytes: two texts' keys compare with
// memcmp (a key that is the start of another is smaller) exactly as
// Collation::compare compares the texts. Made once per value, a key turns a
// sort's comparisons into byte comparisons.
class CollationKey
{
public:
    // Appends the key of the UTF-8 text to `key`.
    static void append(LargeArray<char> &key, const char *utf8, int length);
};
