#pragma once

#include "JournalRecord.h"

#include <QString>
#include <functional>

// A record in the words of a shop: «Количество: 10 → 8», «удалена запчасть
// 1234 «Фильтр масляный»», and how, where and by whom it was made.
class JournalText
{
public:
    // The name of the reference row `key` of `table` ("category"...), or
    // empty when there is none now.
    using Names = std::function<QString(const QString &table, qint64 key)>;

    explicit JournalText(Names names = {}) : names_(std::move(names)) {}

    // What changed: one line for an added or deleted row, "; "-joined
    // column changes for a changed one.
    QString what(const JournalRecord &record) const;
    // What a record holds, for a list's column of changes: a changed
    // row's changes; an added or deleted row's values beside its name
    // («Артикул: A-1; Количество: 10; Цена: 289,50»).
    QString details(const JournalRecord &record) const;
    // One changed column: «Цена: 289,50 → 310,00».
    QString column(const JournalRecord &record, const QString &name) const;
    // A value of a column as a shop reads it («289,50», «Фильтры», «пусто»).
    QString value(const QString &table, const QString &column, const QJsonValue &value) const;
    // The row a record is about: «запчасть 1234 «Фильтр масляный»».
    static QString row(const JournalRecord &record);
    // How it was made: «окно запчасти», «прайс-лист», «другая программа»...
    static QString road(const QString &road);
    // «добавлена», «изменена», «удалена».
    static QString kind(int kind);
    // The column's label, as the catalogue's description gives it.
    static QString label(const QString &table, const QString &column);

private:
    Names names_;
};
