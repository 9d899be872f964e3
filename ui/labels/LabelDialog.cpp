#include "LabelDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString SheetKey = QStringLiteral("labels/sheet");
const QString InStockKey = QStringLiteral("labels/asInStock");

const QString Organisation = QStringLiteral("autoparts");

QGroupBox *group(const QString &title, QWidget *first, QWidget *second)
{
    auto *box = new QGroupBox(title);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(first);
    layout->addWidget(second);
    return box;
}

} // namespace

LabelDialog::LabelDialog(int found, const QString &current, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Печать этикеток"));
    allFound = new QRadioButton(QStringLiteral("Все найденные запчасти (%1)").arg(found));
    currentOnly = new QRadioButton(QStringLiteral("Только выделенная: %1").arg(current));
    allFound->setChecked(true);

    sheet = new QComboBox;
    for (const LabelSheet &s : LabelSheet::all())
        sheet->addItem(s.name);

    oneEach = new QRadioButton(QStringLiteral("По одной на каждую запчасть"));
    asInStock = new QRadioButton(QStringLiteral("Столько, сколько штук на складе"));
    auto *counts = new QButtonGroup(this);
    counts->addButton(oneEach);
    counts->addButton(asInStock);

    start = new QSpinBox;
    startPlace = new QLabel;
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(start);
    startRow->addWidget(startPlace, 1);

    auto *buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("Просмотр"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *sheetForm = new QFormLayout;
    sheetForm->addRow(QStringLiteral("Лист:"), sheet);
    sheetForm->addRow(QStringLiteral("Начать с этикетки №"), startRow);
    auto *sheetBox = new QGroupBox(QStringLiteral("На чём печатать"));
    sheetBox->setLayout(sheetForm);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group(QStringLiteral("Какие запчасти"), allFound, currentOnly));
    layout->addWidget(sheetBox);
    layout->addWidget(group(QStringLiteral("Сколько этикеток"), oneEach, asInStock));
    layout->addWidget(buttons);

    const QSettings remembered(Organisation, Organisation);
    sheet->setCurrentIndex(
        std::clamp(remembered.value(SheetKey, 0).toInt(), 0, sheet->count() - 1));
    (remembered.value(InStockKey, false).toBool() ? asInStock : oneEach)->setChecked(true);
    connect(sheet, &QComboBox::currentIndexChanged, this, [this] { sheetChanged(); });
    connect(start, &QSpinBox::valueChanged, this, [this] { sheetChanged(); });
    sheetChanged();
}

void LabelDialog::sheetChanged()
{
    const LabelSheet &chosen = LabelSheet::all()[size_t(sheet->currentIndex())];
    const bool several = chosen.perSheet() > 1;
    start->setRange(1, chosen.perSheet());
    start->setEnabled(several);
    const int position = start->value() - 1;
    startPlace->setText(several ? QStringLiteral("ряд %1, место %2 слева")
                                      .arg(position / chosen.columns + 1)
                                      .arg(position % chosen.columns + 1)
                                : QString());
}

bool LabelDialog::onlyCurrent() const
{
    return currentOnly->isChecked();
}

LabelOptions LabelDialog::options() const
{
    LabelOptions result;
    result.sheet = LabelSheet::all()[size_t(sheet->currentIndex())];
    result.asInStock = asInStock->isChecked();
    result.start = result.sheet.perSheet() > 1 ? start->value() - 1 : 0;
    return result;
}

void LabelDialog::accept()
{
    QSettings remembered(Organisation, Organisation);
    remembered.setValue(SheetKey, sheet->currentIndex());
    remembered.setValue(InStockKey, asInStock->isChecked());
    QDialog::accept();
}
