#pragma once

#include <QString>

// How a stored column is read and written.
enum class FieldType {
    AutoInc,  // 32-bit key assigned by the store; never written by the program
    Integer,  // 32-bit signed integer
    Text,     // Unicode text of at most `size` characters (0: no limit)
    Currency, // exact decimal with 4 places, held as a count of ten-thousandths
    Blob,     // bytes of any length
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Integer;
    int size = 0;
    // No two rows may hold the same value; the store itself refuses one.
    bool unique = false;
    // How a user knows the column, in messages; empty: by its name.
    QString label = QString();
    // False: the store refuses a row without a value.
    bool nullable = true;
};
