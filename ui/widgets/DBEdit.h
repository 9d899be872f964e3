#pragma once

#include "recordset/FieldDataLink.h"

#include <QLineEdit>


// An edit field bound to one column of a cursor's current row. It shows the
// column's text; what the user types is written into the column when the
// field loses the focus or when the row is posted.
class DBEdit : public QLineEdit, public FieldDataLink
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget *parent = nullptr);

    // True while the text holds typing not yet written into the column.
    bool isModified() const { return modified_; }

    // Writes the pending text into the column now; throws when the column
    // refuses it.
    void updateRecord();

    void dataEvent(const DataEvent &event) override;

protected:
    void bindingChanged() override { showField(); }
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showField();
    bool acceptsCharacter(QChar c) const;
    static bool isDecimalSeparator(QChar c);

    bool modified_ = false;
    bool stale_ = false; // hidden while the row changed: shown anew when it is shown
};
