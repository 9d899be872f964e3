#include "RowValues.h"

#include <utility>

RowValues &RowValues::setNumber(int column, qint64 number)
{
    return set(column, StoreValue{false, number, {}, {}});
}

RowValues &RowValues::setNumber(int column, const std::optional<qint64> &number)
{
    return set(column, number ? StoreValue{false, *number, {}, {}} : StoreValue{});
}

RowValues &RowValues::setText(int column, const QString &text)
{
    return set(column, text.isEmpty() ? StoreValue{} : StoreValue{false, 0, text, {}});
}

RowValues &RowValues::setBytes(int column, const QByteArray &bytes)
{
    return set(column, bytes.isEmpty() ? StoreValue{} : StoreValue{false, 0, {}, bytes});
}

RowValues &RowValues::set(int column, StoreValue value)
{
    values_[size_t(column)] = std::move(value);
    return *this;
}

std::vector<StoreValue> RowValues::withoutKey() const
{
    std::vector<StoreValue> values;
    values.reserve(values_.size());
    for (size_t i = 0; i < values_.size(); ++i)
        if (int(i) != key_)
            values.push_back(values_[i]);
    return values;
}
