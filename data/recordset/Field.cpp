#include "Field.h"

#include "Currency.h"
#include "Cursor.h"
#include "Error.h"

#include <limits>

namespace {

std::optional<qint64> parseInteger(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    // toLongLong would also take blanks inside and other notations; allow
    // only an optional sign and digits.
    for (int i = 0; ok && i < t.size(); ++i)
        ok = t[i].isDigit() || (i == 0 && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')));
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// What a text that did not convert looks like: a number that does not fit,
// or no number at all.
struct Shape
{
    bool number = false;
    bool negative = false;
    bool separator = false;
    int decimals = 0;
};

Shape shapeOf(const QString &text)
{
    const QString t = text.trimmed();
    Shape shape;
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        shape.negative = t[i++] == QLatin1Char('-');
    int digits = 0;
    for (; i < t.size() && t[i].isDigit(); ++i)
        ++digits;
    if (i < t.size() && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(',') ||
                         t[i] == Currency::systemDecimalSeparator())) {
        shape.separator = true;
        for (++i; i < t.size() && t[i].isDigit(); ++i)
            ++shape.decimals;
    }
    shape.number = i == t.size() && digits + shape.decimals > 0;
    return shape;
}

// Digits in groups of three, as a large number is read: "2 147 483 647".
QString grouped(const QString &number)
{
    const qsizetype start = number.startsWith(QLatin1Char('-')) ? 1 : 0;
    qsizetype end = number.indexOf(Currency::systemDecimalSeparator());
    if (end < 0)
        end = number.size();
    QString result = number;
    for (qsizetype at = end - 3; at > start; at -= 3)
        result.insert(at, QLatin1Char(' '));
    return result;
}

Error outOfRange(const QString &label, bool negative, const QString &limit)
{
    return Error(negative ? QStringLiteral("Число в поле «%1» слишком мало (наименьшее %2)")
                                .arg(label, grouped(limit))
                          : QStringLiteral("Число в поле «%1» слишком велико (наибольшее %2)")
                                .arg(label, grouped(limit)));
}

QString currencyLimit(bool negative)
{
    return Currency::format(negative ? -Currency::Limit : Currency::Limit,
                            Currency::systemDecimalSeparator());
}

} // namespace

Field::Field(Cursor *cursor, int index, QString name, FieldType type, int size, bool lookup)
    : cursor_(cursor), index_(index), name_(std::move(name)), type_(type), size_(size),
      lookup_(lookup)
{
}

int Field::DisplayWidth() const
{
    if (type_ == FieldType::Text)
        return size_ > 0 ? size_ : 20;
    return 10;
}

Qt::Alignment Field::Alignment() const
{
    if (lookup_ || type_ == FieldType::Text || type_ == FieldType::Blob)
        return Qt::AlignLeft;
    return Qt::AlignRight;
}

bool Field::IsNull() const
{
    return cursor_->isNullAt(cursor_->currentRow(), index_);
}

qint64 Field::AsInteger() const
{
    if (IsNull())
        return 0;
    if (lookup_ || type_ == FieldType::Text) {
        const QString text = AsString();
        const auto value = parseInteger(text);
        if (!value)
            throw Error(QStringLiteral("«%1» не является целым числом").arg(text));
        return *value;
    }
    const qint64 value = cursor_->numberAt(cursor_->currentRow(), index_);
    if (type_ == FieldType::Currency) // rounded half away from zero
        return (value >= 0 ? value + Currency::Scale / 2 : value - Currency::Scale / 2) /
               Currency::Scale;
    return value;
}

qint64 Field::AsCurrency() const
{
    if (IsNull())
        return 0;
    if (type_ == FieldType::Currency)
        return cursor_->numberAt(cursor_->currentRow(), index_);
    return AsInteger() * Currency::Scale;
}

QString Field::AsString() const
{
    return DisplayText();
}

QString Field::DisplayText() const
{
    return cursor_->displayTextAt(cursor_->currentRow(), index_);
}

QByteArray Field::AsBytes() const
{
    if (!cursor_->isOpen())
        return {};
    if (type_ != FieldType::Blob)
        return AsString().toUtf8();
    return cursor_->bytesOf(index_);
}

qint64 Field::BlobSize() const
{
    if (type_ != FieldType::Blob || IsNull())
        return 0;
    if (const auto *p = cursor_->pendingAt(cursor_->currentRow(), index_))
        return p->bytes.size();
    return cursor_->numberAt(cursor_->currentRow(), index_);
}

void Field::setAsInteger(qint64 value)
{
    if (type_ == FieldType::Text) {
        setAsString(QString::number(value));
        return;
    }
    if (type_ == FieldType::Currency) {
        if (value > Currency::Limit / Currency::Scale || value < -Currency::Limit / Currency::Scale)
            throw outOfRange(DisplayLabel(), value < 0, currencyLimit(value < 0));
        setAsCurrency(value * Currency::Scale);
        return;
    }
    if (ReadOnly() || type_ == FieldType::Blob)
        throw Error(QStringLiteral("Поле «%1» нельзя изменить").arg(DisplayLabel()));
    if (value < std::numeric_limits<qint32>::min())
        throw outOfRange(DisplayLabel(), true, QString::number(std::numeric_limits<qint32>::min()));
    if (value > std::numeric_limits<qint32>::max())
        throw outOfRange(DisplayLabel(), false,
                         QString::number(std::numeric_limits<qint32>::max()));
    Cursor::Pending pending;
    pending.null = false;
    pending.number = value;
    cursor_->write(index_, std::move(pending));
}

void Field::setAsCurrency(qint64 value)
{
    if (type_ != FieldType::Currency) {
        setAsInteger(value / Currency::Scale);
        return;
    }
    if (value > Currency::Limit || value < -Currency::Limit)
        throw outOfRange(DisplayLabel(), value < 0, currencyLimit(value < 0));
    if (!Currency::fitsStore(value))
        throw Error(
            QStringLiteral("Сумму %1 нельзя сохранить точно: в поле «%2» сумма с копейками "
                           "может иметь не больше %3 значащих цифр. Уменьшите число "
                           "знаков после запятой.")
                .arg(Currency::format(value, Currency::systemDecimalSeparator()), DisplayLabel())
                .arg(Currency::StoredDigits));
    Cursor::Pending pending;
    pending.null = false;
    pending.number = value;
    cursor_->write(index_, std::move(pending));
}

void Field::setAsString(const QString &value)
{
    if (ReadOnly())
        throw Error(QStringLiteral("Поле «%1» нельзя изменить").arg(DisplayLabel()));
    switch (type_) {
    case FieldType::Text: {
        if (size_ > 0 && value.size() > size_)
            throw Error(QStringLiteral("Текст длиннее %1 символов не помещается в поле «%2»")
                            .arg(size_)
                            .arg(DisplayLabel()));
        Cursor::Pending pending;
        pending.null = false;
        pending.text = value;
        cursor_->write(index_, std::move(pending));
        return;
    }
    case FieldType::Blob:
        setAsBytes(value.toUtf8());
        return;
    case FieldType::Currency: {
        if (value.trimmed().isEmpty()) {
            Clear();
            return;
        }
        const auto number = Currency::parse(value, Currency::systemDecimalSeparator());
        if (!number) {
            const Shape shape = shapeOf(value);
            if (shape.number && shape.decimals > 4)
                throw Error(QStringLiteral("В поле «%1» допускается не больше четырёх знаков после "
                                           "запятой")
                                .arg(DisplayLabel()));
            if (shape.number)
                throw outOfRange(DisplayLabel(), shape.negative, currencyLimit(shape.negative));
            throw Error(QStringLiteral("В поле «%1» должно быть число; «%2» не является числом")
                            .arg(DisplayLabel(), value));
        }
        setAsCurrency(*number);
        return;
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (value.trimmed().isEmpty()) {
            Clear();
            return;
        }
        const auto number = parseInteger(value);
        if (!number) {
            const Shape shape = shapeOf(value);
            if (shape.number && !shape.separator) // digits beyond any 64-bit number
                throw outOfRange(DisplayLabel(), shape.negative,
                                 QString::number(shape.negative
                                                     ? std::numeric_limits<qint32>::min()
                                                     : std::numeric_limits<qint32>::max()));
            throw Error(QStringLiteral("В поле «%1» должно быть целое число; «%2» не является "
                                       "целым числом")
                            .arg(DisplayLabel(), value));
        }
        setAsInteger(*number);
        return;
    }
    }
}

void Field::setAsBytes(const QByteArray &value)
{
    if (type_ != FieldType::Blob) {
        setAsString(QString::fromUtf8(value));
        return;
    }
    Cursor::Pending pending;
    pending.null = value.isNull();
    pending.bytes = value;
    cursor_->write(index_, std::move(pending));
}

void Field::Clear()
{
    if (ReadOnly())
        throw Error(QStringLiteral("Поле «%1» нельзя изменить").arg(name_));
    cursor_->write(index_, Cursor::Pending{});
}
