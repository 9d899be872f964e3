#include "DBLookupComboBox.h"

#include "recordset/Cursor.h"
#include "gui/Guarded.h"

DBLookupComboBox::DBLookupComboBox(QWidget *parent)
    : QComboBox(parent), list_(new CursorModel(this))
{
    setModel(list_);
    connect(this, &QComboBox::activated, this,
            [this](int row) { runGuarded([this, row] { choose(row); }); });
    // The list changes under the box (a reference added or renamed): show
    // the key's row again.
    connect(list_, &QAbstractItemModel::modelReset, this, &DBLookupComboBox::showKey);
    connect(list_, &QAbstractItemModel::rowsInserted, this, &DBLookupComboBox::showKey);
    connect(list_, &QAbstractItemModel::rowsRemoved, this, &DBLookupComboBox::showKey);
}

void DBLookupComboBox::setListSource(DataSource *source, const QString &listField,
                                     const QString &keyField)
{
    keyField_ = keyField;
    list_->setColumns({{listField, QString(), 0, {}, true}});
    list_->setSource(source);
    showKey();
}

void DBLookupComboBox::dataEvent(const DataEvent &event)
{
    if (changesValue(event, field()))
        followKey();
}

void DBLookupComboBox::followKey()
{
    const Field *f = field();
    std::optional<qint64> key;
    if (f && DataSet()->isOpen() && !f->IsNull())
        key = f->AsInteger();
    if (keyRead_ && key == key_)
        return;
    key_ = key;
    keyRead_ = true;
    Cursor *list = list_->DataSet();
    // The list cursor stays where it is when no row has the key.
    const bool found = key && list && list->isOpen() && list->Locate(keyField_, *key);
    setCurrentIndex(found ? list->currentRow() : -1);
}

void DBLookupComboBox::showKey()
{
    int shown = -1;
    const Cursor *list = list_->DataSet();
    const Field *keyField = list ? list->findField(keyField_) : nullptr;
    if (key_ && keyField) {
        const QString wanted = QString::number(*key_);
        for (int row = 0; row < list->displayRowCount() && shown < 0; ++row)
            if (list->displayTextAt(row, keyField->index()) == wanted)
                shown = row;
    }
    setCurrentIndex(shown);
}

void DBLookupComboBox::choose(int row)
{
    Field *f = field();
    Cursor *list = list_->DataSet();
    const Field *keyField = list ? list->findField(keyField_) : nullptr;
    if (!f || !keyField || row < 0)
        return;
    const qint64 key = list->displayTextAt(row, keyField->index()).toLongLong();
    Cursor *data = DataSet();
    if (data->State() == CursorState::Browse)
        data->Edit();
    f->setAsInteger(key); // the write comes back as a changed key, which moves the list
}
