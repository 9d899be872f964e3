#pragma once

#include <QString>

// Russian alphabetical order, ignoring letter case: blanks and signs, then
// digits, then Latin letters, then Cyrillic letters (Ё right after Е), then
// other letters. Works on UTF-8 as the store hands it out, without allocating.
class Collation
{
public:
    // Compares two UTF-8 texts; negative, zero or positive.
    static int compare(const char *a, int aLength, const char *b, int bLength);
    static int compare(const QString &a, const QString &b);

    // The lower-case form used wherever letter case is ignored.
    static char32_t fold(char32_t c);
    // The primary sort weight of one character, case ignored.
    static quint32 weight(char32_t c);

    // Decodes one character at `p` and advances it; a malformed byte reads as
    // U+FFFD, so no input can make this read past `end`.
    static char32_t decode(const char *&p, const char *end);
};
