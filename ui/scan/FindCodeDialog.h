#pragma once

#include "ui/common/ModalWindow.h"

class QLineEdit;
class QPushButton;

// «Сервис → Найти по коду…»: a code typed by hand, for a label the scanner
// cannot read or a counter without a scanner.
class FindCodeDialog : public ModalWindow
{
    Q_OBJECT
public:
    explicit FindCodeDialog(QWidget *parent);

    // The code typed, trimmed; empty when the box was cancelled or left empty.
    static QString ask(QWidget *parent);

    QLineEdit *editCode;
    QPushButton *btnFind, *btnCancel;
};
