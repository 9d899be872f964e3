#include "DBEdit.h"

#include "recordset/Currency.h"
#include "recordset/Cursor.h"
#include "gui/MessageBoxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { modified_ = true; });
}

void DBEdit::showField()
{
    modified_ = false;
    // The dialogs live hidden for the whole run while their cursors move:
    // a hidden field catches up only when it is shown.
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    const Field *f = field();
    setMaxLength(f && f->DataType() == FieldType::Text && f->Size() > 0 ? f->Size() : 32767);
    setText(f && DataSet()->isOpen() ? f->DisplayText() : QString());
}

void DBEdit::showEvent(QShowEvent *event)
{
    if (stale_)
        showField();
    QLineEdit::showEvent(event);
}

void DBEdit::dataEvent(const DataEvent &event)
{
    // A write into another column of the row leaves what the user is typing here.
    if (event.kind == DataEventKind::UpdateData)
        updateRecord();
    else if (changesValue(event, field()))
        showField();
}

void DBEdit::updateRecord()
{
    Field *f = field();
    if (!modified_ || !f)
        return;
    const CursorState state = DataSet()->State();
    if (state != CursorState::Edit && state != CursorState::Insert)
        return;
    f->setAsString(text());
    modified_ = false;
}

bool DBEdit::acceptsCharacter(QChar c) const
{
    const Field *f = field();
    if (!f || f->isLookup())
        return true;
    const bool sign = c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
    switch (f->DataType()) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return sign;
    case FieldType::Currency:
        return sign || isDecimalSeparator(c);
    default:
        return true;
    }
}

bool DBEdit::isDecimalSeparator(QChar c)
{
    // The point of the numeric keypad and the comma of a Russian keyboard
    // both mean the same, whatever the system's separator.
    return c == QLatin1Char('.') || c == QLatin1Char(',') ||
           c == Currency::systemDecimalSeparator();
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1 && text[0].isPrint() && !acceptsCharacter(text[0])) {
        QApplication::beep();
        event->accept();
        return;
    }
    const Field *f = field();
    if (text.size() == 1 && f && !f->isLookup() && f->DataType() == FieldType::Currency &&
        isDecimalSeparator(text[0])) {
        // Shown as the system writes it, as the stored price is shown.
        insert(Currency::systemDecimalSeparator());
        modified_ = true;
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A popup or another window taking the focus is no leaving of the field.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    try {
        updateRecord();
    } catch (const std::exception &failure) {
        // The field takes the focus back with its text selected, then the
        // user is told why.
        QTimer::singleShot(0, this, [this] {
            setFocus();
            selectAll();
        });
        MessageBoxes::error(failure);
    }
}
