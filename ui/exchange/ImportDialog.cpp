#include "ImportDialog.h"

#include "gui/Guarded.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

namespace {

const QString Organisation = QStringLiteral("autoparts");
const QString UpdatePriceKey = QStringLiteral("priceList/updatePrice");
const QString UpdateCountKey = QStringLiteral("priceList/updateCount");
const QString AddMissingKey = QStringLiteral("priceList/addMissing");

// "A", "B", ... "AA": the letters a spreadsheet shows over a column.
QString letters(int column)
{
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar('A' + (n - 1) % 26));
    return name;
}

} // namespace

ImportDialog::ImportDialog(QWidget *parent, const QStringList &sheets, SheetReader reader)
    : ModalWindow(parent, QStringLiteral("Загрузка прайс-листа"), QSize(720, 520)),
      reader_(std::move(reader))
{
    auto *sheetLabel = new QLabel(QStringLiteral("Лист:"), client());
    sheetLabel->setGeometry(12, 14, 40, 16);
    cbSheet = new QComboBox(client());
    cbSheet->setGeometry(56, 10, 250, 22);
    cbSheet->addItems(sheets);
    cbSheet->setEnabled(sheets.size() > 1);
    sheetLabel->setBuddy(cbSheet);
    checkTitles = new QCheckBox(QStringLiteral("Первая строка — заголовки столбцов"), client());
    checkTitles->setGeometry(330, 12, 370, 18);
    checkTitles->setChecked(true);

    preview = new QTableWidget(client());
    preview->setGeometry(12, 40, 696, 200);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->verticalHeader()->setDefaultSectionSize(preview->fontMetrics().height() + 6);

    auto *columns = new QGroupBox(QStringLiteral("Что откуда загружать"), client());
    columns->setGeometry(12, 250, 440, 220);
    for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
        const int x = t < 5 ? 10 : 225;
        const int y = 22 + (t % 5) * 38;
        auto *label = new QLabel(PriceListMapping::label(t) + QLatin1Char(':'), columns);
        label->setGeometry(x, y, 200, 14);
        auto *box = new QComboBox(columns);
        box->setGeometry(x, y + 14, 200, 22);
        label->setBuddy(box);
        cbColumns.push_back(box);
    }

    auto *what = new QGroupBox(QStringLiteral("Что менять"), client());
    what->setGeometry(464, 250, 244, 220);
    checkPrice = new QCheckBox(QStringLiteral("Цены найденных товаров"), what);
    checkPrice->setGeometry(10, 26, 228, 18);
    checkCount = new QCheckBox(QStringLiteral("Количество найденных товаров"), what);
    checkCount->setGeometry(10, 52, 228, 18);
    checkAdd = new QCheckBox(QStringLiteral("Добавлять товары, которых нет"), what);
    checkAdd->setGeometry(10, 78, 228, 18);
    auto *hint = new QLabel(QStringLiteral("Товар находится по артикулу, а без артикула — по "
                                           "наименованию и модели."),
                            what);
    hint->setGeometry(10, 110, 228, 60);
    hint->setWordWrap(true);
    // A shop loads the same suppliers' lists again and again: what a list may
    // change is asked once. Whether the first line holds titles belongs to the
    // file, so that box is not remembered.
    const QSettings remembered(Organisation, Organisation);
    checkPrice->setChecked(remembered.value(UpdatePriceKey, true).toBool());
    checkCount->setChecked(remembered.value(UpdateCountKey, true).toBool());
    checkAdd->setChecked(remembered.value(AddMissingKey, false).toBool());

    btnNext = new QPushButton(QStringLiteral("Далее"), client());
    btnNext->setGeometry(520, 484, 90, 26);
    btnNext->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), client());
    btnCancel->setGeometry(618, 484, 90, 26);
    btnCancel->setAutoDefault(false);
    connect(btnNext, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbSheet, &QComboBox::currentIndexChanged, this,
            guarded([this] { showSheet(cbSheet->currentIndex()); }));
    connect(checkTitles, &QCheckBox::toggled, this, guarded([this] { fillColumnLists(); }));

    showSheet(0);
}

void ImportDialog::showSheet(int index)
{
    table_ = reader_(index);
    const int columns = table_.columnCount();
    const int lines = std::min<int>(PreviewLines, int(table_.rows.size()));
    preview->clear();
    preview->setColumnCount(columns);
    preview->setRowCount(lines);
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers << letters(c);
    preview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < lines; ++r)
        for (int c = 0; c < columns && c < table_.rows[size_t(r)].size(); ++c)
            preview->setItem(r, c, new QTableWidgetItem(table_.rows[size_t(r)][c]));
    fillColumnLists();
}

void ImportDialog::fillColumnLists()
{
    const int columns = table_.columnCount();
    const QStringList titles =
        checkTitles->isChecked() && !table_.rows.empty() ? table_.rows.front() : QStringList();
    const PriceListMapping guess = PriceListMapping::guess(titles);
    for (int t = 0; t < PriceListMapping::targetCount(); ++t) {
        QComboBox *box = cbColumns[size_t(t)];
        box->clear();
        box->addItem(QStringLiteral("— не загружать —"), -1);
        for (int c = 0; c < columns; ++c) {
            const QString title = c < titles.size() ? titles[c] : QString();
            box->addItem(title.isEmpty() ? letters(c) : letters(c) + QStringLiteral(": ") + title,
                         c);
        }
        box->setCurrentIndex(guess.column(PriceListMapping::Target(t)) + 1);
    }
}

PriceListMapping ImportDialog::mapping() const
{
    PriceListMapping mapping;
    for (int t = 0; t < PriceListMapping::targetCount(); ++t)
        mapping.setColumn(t, cbColumns[size_t(t)]->currentData().toInt());
    return mapping;
}

PriceListImport::Options ImportDialog::options() const
{
    PriceListImport::Options options;
    options.titleRow = checkTitles->isChecked();
    options.updatePrice = checkPrice->isChecked();
    options.updateCount = checkCount->isChecked();
    options.addNew = checkAdd->isChecked();
    return options;
}

// Kept on going on only, not as a box is clicked: a box ticked by a slip and
// then given up with «Отмена» leaves the next price list as before.
void ImportDialog::accept()
{
    QSettings remembered(Organisation, Organisation);
    remembered.setValue(UpdatePriceKey, checkPrice->isChecked());
    remembered.setValue(UpdateCountKey, checkCount->isChecked());
    remembered.setValue(AddMissingKey, checkAdd->isChecked());
    ModalWindow::accept();
}
