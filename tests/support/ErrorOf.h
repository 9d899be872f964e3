#pragma once

#include "recordset/Error.h"

#include <QString>

// The message of the Error that `action` throws, or a null string when it
// throws none.
template <typename Action> QString errorOf(Action &&action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message().isNull() ? QStringLiteral("") : error.message();
    }
    return QString();
}
