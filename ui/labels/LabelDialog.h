#pragma once

#include "labels/LabelProducer.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

// «Печать этикеток»: which goods, on what sheet, how many of each, and where
// on a partly used sheet to begin. Remembers the sheet and the count for the
// next time.
class LabelDialog : public QDialog
{
    Q_OBJECT
public:
    // `found` is how many goods the grid shows, `current` the current part's name.
    LabelDialog(int found, const QString &current, QWidget *parent = nullptr);

    bool onlyCurrent() const;
    LabelOptions options() const;

    QRadioButton *allFound, *currentOnly;
    QComboBox *sheet;
    QRadioButton *oneEach, *asInStock;
    QSpinBox *start;
    QLabel *startPlace;

    void accept() override;

private:
    void sheetChanged();
};
