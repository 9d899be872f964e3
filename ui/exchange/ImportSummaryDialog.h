#pragma once

#include "exchange/PriceListImport.h"
#include "ui/common/ModalWindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// What loading a price list would do, before anything is written: how many
// goods are added, changed and left alone, how many lines matching no goods are
// left out, and every line that cannot be used.
class ImportSummaryDialog : public ModalWindow
{
    Q_OBJECT
public:
    ImportSummaryDialog(QWidget *parent, const PriceListImport::Plan &plan);

    static QString counts(const PriceListImport::Plan &plan);
    // " (не добавлены: 12 строк, которых нет в каталоге)" when lines that
    // match no goods are left out, else empty.
    static QString notAddedNote(const PriceListImport::Plan &plan);

    QLabel *summary;
    QPlainTextEdit *refused;
    QPushButton *btnApply, *btnCancel;
};
