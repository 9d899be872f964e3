#pragma once

#include "JetTableLayout.h"

// One value of a row, encoded: `present` is the column's bit in the null
// mask (for a Boolean, its value).
struct JetField
{
    bool present = false;
    QByteArray bytes;
};

// Lays out rows: the column count, the fixed columns, the variable ones,
// then from the end backwards the null mask, the number of variable columns,
// their offsets and the end of their data (Jet 3 adds a jump table, as its
// offsets are one byte).
class JetRowEncoder
{
public:
    JetRowEncoder(const JetFormat &format, const JetTableLayout &layout);

    // One field per column. Throws when the row cannot be laid out.
    QByteArray encode(const std::vector<JetField> &fields) const;
    // The size encode() would return.
    int size(const std::vector<JetField> &fields) const;

private:
    int jet3JumpCount(int endOfData, int tailBytes) const;

    const JetFormat &m_format;
    const JetTableLayout &m_layout;
};
