#include "Collation.h"

#include <QChar>

namespace {

enum Group : quint32 { Signs = 1, Digits = 2, Latin = 3, Cyrillic = 4, OtherLetters = 5 };

constexpr quint32 weighted(Group group, quint32 value)
{
    return (quint32(group) << 24) | value;
}

bool isAsciiUpper(char32_t c)
{
    return c >= U'A' && c <= U'Z';
}

} // namespace

char32_t Collation::fold(char32_t c)
{
    if (c < 0x80)
        return isAsciiUpper(c) ? c + 32 : c;
    if (c >= 0x410 && c <= 0x42F) // А..Я
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) // Ѐ..Џ, Ё among them
        return c + 0x50;
    if (c >= 0x430 && c <= 0x45F)
        return c;
    if (c < 0x10000)
        return QChar(char16_t(c)).toCaseFolded().unicode();
    return c;
}

quint32 Collation::weight(char32_t c)
{
    c = fold(c);
    if (c >= U'a' && c <= U'z')
        return weighted(Latin, c - U'a');
    if (c >= U'0' && c <= U'9')
        return weighted(Digits, c - U'0');
    if (c >= 0x430 && c <= 0x44F) // а..я, every second weight, so that ё fits after е
        return weighted(Cyrillic, (c - 0x430) * 2);
    if (c == 0x451) // ё
        return weighted(Cyrillic, (0x435 - 0x430) * 2 + 1);
    if (c < 0x80)
        return weighted(Signs, c);
    if (c >= 0x400 && c <= 0x52F)
        return weighted(Cyrillic, 0x1000 + c);
    if (c < 0x10000) {
        const QChar ch{char16_t(c)};
        if (ch.isDigit())
            return weighted(Digits, 0x100 + c);
        if (ch.isLetter())
            return weighted(OtherLetters, c);
        return weighted(Signs, c);
    }
    return weighted(OtherLetters, c & 0xFFFFFF);
}

char32_t Collation::decode(const char *&p, const char *end)
{
    const auto byte = [](char ch) { return quint32(static_cast<unsigned char>(ch)); };
    const quint32 lead = byte(*p++);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    quint32 c = 0;
    quint32 minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0xFFFD;
    }
    for (int i = 0; i < extra; ++i) {
        if (p == end || (byte(*p) & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (byte(*p++) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF)
        return 0xFFFD;
    return c;
}

int Collation::compare(const char *a, int aLength, const char *b, int bLength)
{
    const char *aStart = a;
    const char *aEnd = a + aLength;
    const char *bEnd = b + bLength;
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    while (a != aEnd && b != bEnd) {
        // Identical bytes are identical characters and weigh the same; only
        // from the character where they part do the weights matter.
        while (a != aEnd && b != bEnd && *a == *b) {
            ++a;
            ++b;
        }
        if (a == aEnd || b == bEnd)
            break;
        while (a != aStart && (continuation(*a) || continuation(*b))) {
            --a;
            --b;
        }
        const quint32 wa = weight(decode(a, aEnd));
        const quint32 wb = weight(decode(b, bEnd));
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (a == aEnd)
        return b == bEnd ? 0 : -1;
    return 1;
}

int Collation::compare(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compare(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
}
