#pragma once

#include "exchange/PriceListImport.h"
#include "exchange/PriceListMapping.h"
#include "exchange/SheetTable.h"
#include "ui/common/ModalWindow.h"

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;

// Shows the first lines of a price list and lets the user say which of its
// columns feeds each goods column, guessed from the title row, and what the
// lines may change, as chosen for the last price list.
class ImportDialog : public ModalWindow
{
    Q_OBJECT
public:
    // Reads sheet `index` of the file (a CSV file has one).
    using SheetReader = std::function<SheetTable(int index)>;

    ImportDialog(QWidget *parent, const QStringList &sheets, SheetReader reader);

    const SheetTable &table() const { return table_; }
    PriceListMapping mapping() const;
    PriceListImport::Options options() const;

    QComboBox *cbSheet;
    QCheckBox *checkTitles, *checkPrice, *checkCount, *checkAdd;
    QTableWidget *preview;
    std::vector<QComboBox *> cbColumns;
    QPushButton *btnNext, *btnCancel;

    static constexpr int PreviewLines = 8;

    void accept() override;

private:
    void showSheet(int index);
    void fillColumnLists();

    SheetReader reader_;
    SheetTable table_;
};
