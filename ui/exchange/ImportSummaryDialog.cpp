#include "ImportSummaryDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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

QString ImportSummaryDialog::counts(const PriceListImport::Plan &plan)
{
    QString text = QStringLiteral("Будет добавлено товаров: %1\nБудет изменено товаров: %2\n"
                                  "Останется без изменений: %3\nНе будет загружено строк: %4")
                       .arg(plan.additions.size())
                       .arg(plan.updates.size())
                       .arg(plan.unchanged + plan.notAdded)
                       .arg(plan.refused.size());
    const qsizetype references =
        plan.newCategories.size() + plan.newMakes.size() + plan.newCountries.size();
    if (references > 0)
        text += QStringLiteral("\nНовых записей в справочниках: %1").arg(references);
    return text;
}
