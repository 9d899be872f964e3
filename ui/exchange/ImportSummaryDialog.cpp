#include "ImportSummaryDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// "1 строка", "3 строки", "12 строк", "21 строка": the noun agrees with the
// last digits, 11 to 14 being the exception.
QString lines(int count)
{
    const int tens = count % 100, units = count % 10;
    const char *noun = tens >= 11 && tens <= 14   ? "строк"
                       : units == 1               ? "строка"
                       : units >= 2 && units <= 4 ? "строки"
                                                  : "строк";
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(noun));
}

} // namespace

ImportSummaryDialog::ImportSummaryDialog(QWidget *parent, const PriceListImport::Plan &plan)
    : ModalWindow(parent, QStringLiteral("Загрузка прайс-листа"), QSize(560, 380))
{
    summary = new QLabel(counts(plan), client());
    summary->setGeometry(12, 10, 536, 90);
    summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary->setWordWrap(true);
    auto *label =
        new QLabel(plan.refused.isEmpty() ? QStringLiteral("Все строки прочитаны.")
                                          : QStringLiteral("Строки, которые не будут загружены:"),
                   client());
    label->setGeometry(12, 104, 536, 16);
    refused = new QPlainTextEdit(plan.refused.join(QLatin1Char('\n')), client());
    refused->setGeometry(12, 122, 536, 210);
    refused->setReadOnly(true);
    label->setBuddy(refused);

    const bool anything = !plan.updates.empty() || !plan.additions.empty();
    btnApply = new QPushButton(QStringLiteral("Загрузить"), client());
    btnApply->setGeometry(360, 344, 90, 26);
    btnApply->setDefault(anything);
    btnApply->setEnabled(anything);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), client());
    btnCancel->setGeometry(458, 344, 90, 26);
    btnCancel->setAutoDefault(false);
    connect(btnApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString ImportSummaryDialog::notAddedNote(const PriceListImport::Plan &plan)
{
    if (plan.notAdded == 0)
        return {};
    return QStringLiteral(" (не добавлены: %1, которых нет в каталоге)").arg(lines(plan.notAdded));
}

QString ImportSummaryDialog::counts(const PriceListImport::Plan &plan)
{
    // The lines left out sit by the added count: with the box to add goods
    // unticked a supplier's new parts would otherwise vanish without a word.
    QString text = QStringLiteral("Будет добавлено товаров: %1%2\nБудет изменено товаров: %3\n"
                                  "Останется без изменений: %4\nНе будет загружено строк: %5")
                       .arg(plan.additions.size())
                       .arg(notAddedNote(plan))
                       .arg(plan.updates.size())
                       .arg(plan.unchanged)
                       .arg(plan.refused.size());
    const qsizetype references =
        plan.newCategories.size() + plan.newMakes.size() + plan.newCountries.size();
    if (references > 0)
        text += QStringLiteral("\nНовых записей в справочниках: %1").arg(references);
    return text;
}
