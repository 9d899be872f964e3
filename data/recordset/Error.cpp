#include "Error.h"

#include <utility>

Error::Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

StoreError::StoreError(Kind kind, QString message, QString engineCode, QString engineText)
    : Error(std::move(message)), kind_(kind), engineCode_(std::move(engineCode)),
      engineText_(std::move(engineText))
{}

QString StoreError::diskCause(const QString &folder) const
{
    if (kind_ == Kind::Full)
        return QStringLiteral("на диске не хватает места");
    if (kind_ == Kind::Io)
        return QStringLiteral("ошибка чтения или записи диска");
    if (kind_ != Kind::ReadOnly && kind_ != Kind::Unreachable && kind_ != Kind::Denied)
        return {};
    return folder.isEmpty() ? QStringLiteral("в папку нельзя записывать")
                            : QStringLiteral("в папку «%1» нельзя записывать").arg(folder);
}

ConflictError::ConflictError(std::vector<ColumnConflict> conflicts)
    : Error(describe(conflicts, QString())), conflicts_(std::move(conflicts))
{}

QString ConflictError::describe(const std::vector<ColumnConflict> &conflicts,
                                const QString &saveButton)
{
    QString text = QStringLiteral("Пока вы правили запись, другая программа изменила её и "
                                  "сохранила другие значения:");
    for (const ColumnConflict &c : conflicts)
        text += QStringLiteral("\n«%1»: другая программа сохранила %2, вы ввели %3;")
                    .arg(c.label, c.stored, c.typed);
    text.chop(1);
    if (saveButton.isEmpty())
        return text + QStringLiteral(".\nЧтобы записать ваши значения вместо значений другой "
                                     "программы, сохраните запись ещё раз; чтобы оставить значения "
                                     "другой программы, откажитесь от правки.");
    return text + QStringLiteral(".\nНажмите «%1» ещё раз, чтобы записать ваши значения вместо "
                                 "значений другой программы, или «Отмена», чтобы оставить "
                                 "значения другой программы.")
                      .arg(saveButton);
}
