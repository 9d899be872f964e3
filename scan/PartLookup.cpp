#include "PartLookup.h"

#include "labels/PartCode.h"
#include "recordset/Cursor.h"

#include <cstring>

namespace {

const QString ArticleField = QStringLiteral("codeTov");

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// What the keys of a code typed in the Russian layout give in the Latin one:
// a scanner types key by key, so with the Russian layout on, "AB/12" comes as
// "ФИ.12". The digits, the blank and the hyphen sit alike in both.
QString latinLayout(const QString &typed)
{
    static const QString russian = QStringLiteral(
        "ёйцукенгшщзхъфывапролджэячсмитьбю.ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,\"№;:?/");
    static const QString latin = QStringLiteral(
        "`qwertyuiop[]asdfghjkl;'zxcvbnm,./~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?@#$^&|");
    Q_ASSERT(russian.size() == latin.size());
    QString result = typed;
    for (QChar &c : result) {
        const qsizetype at = russian.indexOf(c);
        if (at >= 0)
            c = latin[at];
    }
    return result;
}

} // namespace

std::vector<PartLookup::Found> PartLookup::find(const Cursor &goods, const QString &code)
{
    std::vector<Found> found = findAsTyped(goods, code);
    if (!found.empty())
        return found;
    const QString latin = latinLayout(code);
    return latin != code ? findAsTyped(goods, latin) : found;
}

std::vector<PartLookup::Found> PartLookup::findAsTyped(const Cursor &goods, const QString &code)
{
    const QString wanted = code.trimmed();
    if (wanted.isEmpty())
        return {};
    const QByteArray bytes = wanted.toUtf8();
    const std::string_view target(bytes.constData(), size_t(bytes.size()));
    const bool asciiTarget = isAscii(target);

    // One pass over the article column of the snapshot. Only values of the
    // code's length in bytes are looked at closer: the case variants of the
    // letters an article holds (Latin, Cyrillic) keep their UTF-8 length.
    std::vector<Found> exact, folded;
    goods.forEachText(ArticleField, [&](qint64 key, std::string_view stored) {
        stored = trimmed(stored);
        if (stored.size() != target.size())
            return;
        if (std::memcmp(stored.data(), target.data(), target.size()) == 0) {
            exact.push_back({key, Match::Article});
        } else if (asciiTarget ? equalIgnoringAsciiCase(stored, target)
                               : QString::fromUtf8(stored.data(), qsizetype(stored.size()))
                                         .compare(wanted, Qt::CaseInsensitive) == 0) {
            folded.push_back({key, Match::ArticleIgnoringCase});
        }
    });
    exact.insert(exact.end(), folded.begin(), folded.end());
    if (!exact.empty())
        return exact;

    if (const std::optional<qint64> key = PartCode::goodsCodeOf(wanted); key && goods.hasKey(*key))
        return {{*key, Match::StoreBarcode}};
    return {};
}
