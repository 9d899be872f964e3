#include "FilterExpression.h"

#include "Collation.h"
#include "Currency.h"
#include "Error.h"
#include "RowStore.h"

#include <QList>
#include <optional>

namespace {

class Parser
{
public:
    explicit Parser(const QString &text) : text_(text) {}

    bool atEnd()
    {
        skipBlanks();
        return pos_ >= text_.size();
    }

    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
    }

    QString identifier()
    {
        skipBlanks();
        const qsizetype start = pos_;
        while (pos_ < text_.size() &&
               (text_[pos_].isLetterOrNumber() || text_[pos_] == QLatin1Char('_')))
            ++pos_;
        if (start == pos_)
            fail(QStringLiteral("ожидается имя поля"));
        return text_.mid(start, pos_ - start);
    }

    bool keyword(QLatin1String word)
    {
        skipBlanks();
        const qsizetype end = pos_ + word.size();
        if (end > text_.size() || text_.mid(pos_, word.size()).compare(word, Qt::CaseInsensitive))
            return false;
        if (end < text_.size() && (text_[end].isLetterOrNumber() || text_[end] == QLatin1Char('_')))
            return false;
        pos_ = end;
        return true;
    }

    bool symbol(QLatin1String op)
    {
        skipBlanks();
        if (text_.mid(pos_, op.size()) != op)
            return false;
        pos_ += op.size();
        return true;
    }

    QString quoted(const QString &field)
    {
        skipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != QLatin1Char('\''))
            fail(QStringLiteral("после поля «%1» ожидается значение в кавычках").arg(field));
        ++pos_;
        QString value;
        for (;;) {
            if (pos_ >= text_.size())
                fail(QStringLiteral("не закрыта кавычка в значении поля «%1»").arg(field));
            const QChar c = text_[pos_++];
            if (c != QLatin1Char('\'')) {
                value.append(c);
            } else if (pos_ < text_.size() && text_[pos_] == QLatin1Char('\'')) {
                value.append(c);
                ++pos_;
            } else {
                return value;
            }
        }
    }

    [[noreturn]] void fail(const QString &what) const
    {
        throw Error(QStringLiteral("Ошибка в условии отбора (позиция %1): %2")
                        .arg(pos_ + 1)
                        .arg(what));
    }

    qsizetype position() const { return pos_; }

private:
    const QString &text_;
    qsizetype pos_ = 0;
};

std::optional<qint64> parseInteger(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return std::nullopt;
    int i = (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) ? 1 : 0;
    if (i == t.size())
        return std::nullopt;
    for (int k = i; k < t.size(); ++k)
        if (t[k] < QLatin1Char('0') || t[k] > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

FilterExpression::FilterExpression(const QString &text, const TableSchema &schema)
{
    Parser parser(text);
    if (parser.atEnd())
        return;
    for (;;) {
        const QString name = parser.identifier();
        Condition c;
        c.column = schema.indexOf(name);
        if (c.column < 0)
            throw Error(QStringLiteral("В условии отбора указано неизвестное поле «%1»").arg(name));
        const FieldDef &def = schema.field(c.column);
        c.type = def.type;

        if (parser.keyword(QLatin1String("LIKE")))
            c.op = Op::Like;
        else if (parser.symbol(QLatin1String("<>")))
            c.op = Op::NotEqual;
        else if (parser.symbol(QLatin1String("<=")))
            c.op = Op::LessOrEqual;
        else if (parser.symbol(QLatin1String(">=")))
            c.op = Op::GreaterOrEqual;
        else if (parser.symbol(QLatin1String("=")))
            c.op = Op::Equal;
        else if (parser.symbol(QLatin1String("<")))
            c.op = Op::Less;
        else if (parser.symbol(QLatin1String(">")))
            c.op = Op::Greater;
        else
            parser.fail(QStringLiteral("после поля «%1» ожидается знак сравнения или LIKE")
                            .arg(def.name));

        const QString value = parser.quoted(def.name);
        if (c.type == FieldType::Blob)
            throw Error(QStringLiteral("По полю «%1» отбирать нельзя").arg(def.name));
        if (c.op == Op::Like && c.type != FieldType::Text)
            throw Error(QStringLiteral("LIKE применим только к текстовым полям, а поле «%1» — не "
                                       "текстовое")
                            .arg(def.name));

        if (c.op == Op::Like) {
            for (const char32_t ch : value.toUcs4())
                c.pattern.push_back(Collation::fold(ch));
        } else if (c.type == FieldType::Text) {
            c.text = value.toStdString();
        } else if (c.type == FieldType::Currency) {
            const auto number = Currency::parse(value, Currency::systemDecimalSeparator());
            if (!number)
                throw Error(QStringLiteral("Значение «%1» для поля «%2» в условии отбора не "
                                           "является числом")
                                .arg(value, def.name));
            c.number = *number;
        } else {
            const auto number = parseInteger(value);
            if (!number)
                throw Error(QStringLiteral("Значение «%1» для поля «%2» в условии отбора не "
                                           "является целым числом")
                                .arg(value, def.name));
            c.number = *number;
        }
        conditions_.push_back(std::move(c));

        if (parser.atEnd())
            break;
        if (!parser.keyword(QLatin1String("AND")))
            parser.fail(QStringLiteral("после значения поля «%1» ожидается AND").arg(def.name));
    }
}

bool FilterExpression::matches(const RowStore &rows, int row) const
{
    for (const Condition &c : conditions_)
        if (!matchesCondition(c, rows, row))
            return false;
    return true;
}

bool FilterExpression::matchesCondition(const Condition &c, const RowStore &rows, int row) const
{
    // As in SQL, an empty (NULL) value satisfies no comparison.
    if (rows.isNull(row, c.column))
        return false;
    int order = 0;
    if (c.type == FieldType::Text) {
        const std::string_view value = rows.utf8(row, c.column);
        if (c.op == Op::Like)
            return like(c.pattern, value);
        order = Collation::compare(value.data(), int(value.size()), c.text.data(),
                                   int(c.text.size()));
    } else {
        const qint64 value = rows.integer(row, c.column);
        order = value < c.number ? -1 : (value > c.number ? 1 : 0);
    }
    switch (c.op) {
    case Op::Equal:
        return order == 0;
    case Op::NotEqual:
        return order != 0;
    case Op::Less:
        return order < 0;
    case Op::Greater:
        return order > 0;
    case Op::LessOrEqual:
        return order <= 0;
    case Op::GreaterOrEqual:
        return order >= 0;
    case Op::Like:
        break;
    }
    return false;
}

bool FilterExpression::like(const std::u32string &pattern, std::string_view text) const
{
    // The text is decoded only as far as the match needs it: a prefix
    // pattern stops at its last letter.
    scratch_.clear();
    const char *p = text.data();
    const char *end = p + text.size();
    const auto available = [&](size_t t) {
        while (scratch_.size() <= t && p != end)
            scratch_.push_back(Collation::fold(Collation::decode(p, end)));
        return t < scratch_.size();
    };

    // Greedy match with one resume point per '%': linear for the usual
    // prefix and containment patterns, never exponential.
    size_t t = 0, k = 0;
    size_t starPattern = std::u32string::npos, starText = 0;
    while (available(t)) {
        if (k < pattern.size() && pattern[k] == U'%') {
            starPattern = k++;
            starText = t;
            if (k == pattern.size())
                return true; // a trailing '%' takes whatever is left
        } else if (k < pattern.size() && (pattern[k] == U'_' || pattern[k] == scratch_[t])) {
            ++k;
            ++t;
        } else if (starPattern != std::u32string::npos) {
            k = starPattern + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (k < pattern.size() && pattern[k] == U'%')
        ++k;
    return k == pattern.size();
}
