#include "ConversionSummary.h"

#include <QLocale>

namespace {

QString count(qint64 n)
{
    return QLocale(QLocale::Russian).toString(n);
}

QString list(const QString &title, const QStringList &items)
{
    if (items.isEmpty())
        return QString();
    QString text = QStringLiteral("\n\n") + title;
    for (const QString &item : items)
        text += QStringLiteral("\n• ") + item;
    return text;
}

} // namespace

QString ConversionSummary::text() const
{
    QString text =
        QStringLiteral("Перенесено товаров: %1 (с фотографией: %2), категорий: %3, "
                       "марок: %4, стран: %5.")
            .arg(count(goods), count(photos), count(categories), count(makes), count(countries));
    text += list(QStringLiteral("Потребовали решения:"), decisions);
    text += list(QStringLiteral("Перенесены с преобразованием без потерь:"), converted);
    text += list(QStringLiteral("Не перенесены (программа их не использует):"), leftBehind);
    return text;
}
