#pragma once

#include "CursorModel.h"

#include "recordset/FieldDataLink.h"

#include <QComboBox>
#include <optional>


// A pick list bound to a key column of one cursor (the data side) and listing
// the rows of another (the list side). Choosing an entry writes its key at
// once. Whenever the key of the data row changes, also while the box is
// hidden, the list cursor is moved to the row with that key.
class DBLookupComboBox : public QComboBox, public FieldDataLink
{
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget *parent = nullptr);

    // The list: its cursor, the column shown and the key column.
    void setListSource(DataSource *source, const QString &listField, const QString &keyField);

    // The key the box shows, as it last read it from the data row.
    std::optional<qint64> shownKey() const { return key_; }

    void dataEvent(const DataEvent &event) override;

protected:
    void bindingChanged() override { followKey(); }

private:
    void followKey();
    void showKey();
    void choose(int row);

    QString keyField_;
    CursorModel *list_;
    std::optional<qint64> key_;
    bool keyRead_ = false;
};
