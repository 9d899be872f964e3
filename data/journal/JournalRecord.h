#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariant>

// One record of the journal as it is read: one row added, changed or
// deleted in one transaction (its operation).
struct JournalRecord
{
    qint64 id = 0;
    qint64 operation = 0; // 0: a change made outside the program's sessions
    QDateTime at;         // UTC
    QString road;         // how it was made: "editor", "import", "other"...
    QString computer, login, role;
    QString table;
    qint64 key = 0;
    int kind = 0; // JournalSql::Kind
    QString title, code;
    // By declared column name: the row's values (added, deleted) or
    // [before, after] (changed); a blob by its size.
    QJsonObject changes;
    bool hasBlob = false; // the deleted row's blob is kept
    QString digestBefore, digestAfter;

    // A row of JournalSql::recordColumns().
    static JournalRecord fromRow(const QVariantList &row);
};
