#include "ConversionSummary.h"

#include <QLocale>

namespace {

QString count(qint64 n)
{
    return QLocale(QLocale::Russian).toString(n);
}

QString list(const QString &title, const QStringList &items, int most)
{
    if (items.isEmpty())
        return QString();
    QString text = QStringLiteral("\n\n") + title;
    const int shown = most < 0 ? int(items.size()) : qMin(most, int(items.size()));
    for (int i = 0; i < shown; ++i)
        text += QStringLiteral("\n• ") + items[i];
    if (shown < items.size())
        text += QStringLiteral("\n• и ещё %1").arg(items.size() - shown);
    return text;
}

} // namespace

QString ConversionSummary::text(int most) const
{
    QString text =
        QStringLiteral("Перенесено товаров: %1 (с фотографией: %2), категорий: %3, "
                       "марок: %4, стран: %5.")
            .arg(count(goods), count(photos), count(categories), count(makes), count(countries));
    text += list(QStringLiteral("Потребовали решения:"), decisions, most);
    text += list(QStringLiteral("Перенесены с преобразованием без потерь:"), converted, most);
    text += list(QStringLiteral("Не перенесены (программа их не использует):"), leftBehind, most);
    return text;
}
