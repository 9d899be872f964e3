#pragma once

#include "TableSchema.h"

#include <string>
#include <vector>

class RowStore;

// A parsed filter text: conditions joined by AND, each a column, then one of
// = <> < > <= >= or LIKE, then a value in single quotes (a quote inside the
// value written twice). Parsing checks the columns and converts each value to
// its column's type, so a bad text fails here and never while rows are read.
class FilterExpression
{
public:
    FilterExpression() = default;
    FilterExpression(const QString &text, const TableSchema &schema);

    bool isEmpty() const { return conditions_.empty(); }
    // Not reentrant: uses a scratch buffer of its own.
    bool matches(const RowStore &rows, int row) const;

private:
    enum class Op { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual, Like };

    struct Condition
    {
        int column = -1;
        FieldType type = FieldType::Integer;
        Op op = Op::Equal;
        qint64 number = 0;       // integer columns and currency
        std::string text;        // text comparisons, UTF-8
        std::u32string pattern;  // LIKE, case-folded; % and _ are wildcards
    };

    bool matchesCondition(const Condition &c, const RowStore &rows, int row) const;
    bool like(const std::u32string &pattern, std::string_view text) const;

    std::vector<Condition> conditions_;
    mutable std::u32string scratch_;
};
