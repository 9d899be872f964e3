#pragma once

#include "JetTableLayout.h"

class JetTextCodec;

// The bytes of one value as a row (or a long-value page) keeps it.
class JetCellEncoder
{
public:
    explicit JetCellEncoder(const JetTextCodec &text);

    // A non-null value of `column`: exactly the column's size for fixed
    // columns; for Text and Binary the stored bytes; for Memo and Ole the
    // whole long value. Boolean values live in the null mask and are not
    // encoded here. Throws when the cell's kind does not suit the column or
    // the value does not fit it.
    QByteArray encode(const JetColumnLayout &column, const JetCell &cell) const;

    // True when a Boolean cell is true (NULL reads as false: Jet has no NULL Boolean).
    static bool booleanValue(const JetColumnLayout &column, const JetCell &cell);

private:
    QByteArray numeric(const JetColumnLayout &column, const JetCell &cell) const;

    const JetTextCodec &m_text;
};
