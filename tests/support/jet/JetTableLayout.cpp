#include "JetTableLayout.h"

#include <stdexcept>

namespace {

std::runtime_error columnError(const JetColumnPlan &column, const char *what)
{
    return std::runtime_error("Jet writer: column " + column.name.toStdString() + ": " + what);
}

} // namespace

JetTableLayout::JetTableLayout(const JetFormat &format, const std::vector<JetColumnPlan> &columns)
{
    if (columns.empty() || columns.size() > 255)
        throw std::runtime_error("Jet writer: a table has 1 to 255 columns");
    for (const JetColumnPlan &declared : columns) {
        JetColumnLayout c;
        c.declared = declared;
        c.number = int(m_columns.size());
        const int size = fixedSize(declared.type);
        c.fixed = size >= 0;
        if (c.fixed) {
            c.fixedOffset = m_fixedBytes;
            m_fixedBytes += size;
            c.storedSize = size;
        } else {
            c.varIndex = m_variableCount++;
        }
        if (declared.type == JetType::Text || declared.type == JetType::Binary) {
            // Access allows 255 characters (bytes) at most; 0 asks for the most.
            const int length = declared.size == 0 ? 255 : declared.size;
            if (length < 0 || length > 255)
                throw columnError(declared, "a text or binary column holds 1 to 255 characters");
            c.declared.size = length;
            // Jet 4 declares text lengths in bytes of UCS-2.
            c.storedSize = declared.type == JetType::Text && !format.jet3 ? 2 * length : length;
        }
        if (declared.type == JetType::Numeric &&
            (declared.precision < 1 || declared.precision > 28 || declared.scale < 0 ||
             declared.scale > declared.precision))
            throw columnError(declared, "numeric precision 1..28, scale 0..precision");
        if (declared.autoNumber) {
            if (declared.type != JetType::Long)
                throw columnError(declared, "only a Long column can be an autonumber");
            if (m_autoNumberColumn >= 0)
                throw columnError(declared, "a table has one autonumber at most");
            m_autoNumberColumn = c.number;
        }
        // An autonumber is filled by the engine, so it is neither nullable nor updatable.
        c.flags = (c.fixed ? FixedFlag : 0) | (declared.autoNumber ? AutoNumberFlag : NullableFlag);
        m_columns.push_back(c);
    }
}

int JetTableLayout::fixedSize(JetType type)
{
    switch (type) {
    case JetType::Boolean:
        return 0; // the value is the column's bit in the null mask
    case JetType::Byte:
        return 1;
    case JetType::Integer:
        return 2;
    case JetType::Long:
    case JetType::Single:
        return 4;
    case JetType::Currency:
    case JetType::Double:
    case JetType::DateTime:
        return 8;
    case JetType::Numeric:
        return 17;
    case JetType::Binary:
    case JetType::Text:
    case JetType::Ole:
    case JetType::Memo:
        return -1;
    }
    throw std::runtime_error("Jet writer: unknown column type");
}
