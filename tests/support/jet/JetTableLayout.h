#pragma once

#include "JetFormat.h"

#include <vector>

// Where each column of a table lives in its rows: fixed-size columns at an
// offset of their own after the column count, the others through the
// table of variable-column offsets, in column order both.
struct JetColumnLayout
{
    JetColumnPlan declared;
    int number = 0;
    bool fixed = false;
    int fixedOffset = 0; // fixed columns
    int varIndex = 0;    // variable columns
    int storedSize = 0;  // the length the definition declares
    quint8 flags = 0;

    bool isLong() const { return declared.type == JetType::Ole || declared.type == JetType::Memo; }
    bool isTextual() const
    {
        return declared.type == JetType::Text || declared.type == JetType::Memo;
    }
};

class JetTableLayout
{
public:
    // Column flags as the definition keeps them.
    static constexpr quint8 FixedFlag = 0x01;
    static constexpr quint8 NullableFlag = 0x02;
    static constexpr quint8 AutoNumberFlag = 0x04;

    // Throws for a column it cannot lay out (an autonumber that is not Long, an
    // oversized text).
    JetTableLayout(const JetFormat &format, const std::vector<JetColumnPlan> &columns);

    const std::vector<JetColumnLayout> &columns() const { return m_columns; }
    int fixedBytes() const { return m_fixedBytes; }
    int variableCount() const { return m_variableCount; }
    int autoNumberColumn() const { return m_autoNumberColumn; }

    // The bytes a fixed-size type takes in a row; -1 for variable-size ones.
    static int fixedSize(JetType type);

private:
    std::vector<JetColumnLayout> m_columns;
    int m_fixedBytes = 0;
    int m_variableCount = 0;
    int m_autoNumberColumn = -1;
};
