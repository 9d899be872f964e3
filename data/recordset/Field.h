#pragma once

#include "FieldDef.h"

#include <QByteArray>
#include <QString>
#include <Qt>

class Cursor;

// One column of a cursor, read and written at the cursor's current row. A
// lookup field is computed from another cursor and cannot be written.
class Field
{
public:
    const QString &FieldName() const { return name_; }
    // The column as the user knows it, for messages; the name until set.
    const QString &DisplayLabel() const { return label_.isEmpty() ? name_ : label_; }
    void setDisplayLabel(const QString &label) { label_ = label; }
    FieldType DataType() const { return type_; }
    // Characters of a text or lookup field (0: no limit); 0 for other types.
    int Size() const { return size_; }
    bool isLookup() const { return lookup_; }
    bool ReadOnly() const { return lookup_ || type_ == FieldType::AutoInc; }
    int index() const { return index_; }
    Cursor *DataSet() const { return cursor_; }

    // How many characters the field's text usually needs, and where it sits.
    int DisplayWidth() const;
    Qt::Alignment Alignment() const;

    bool IsNull() const;
    qint64 AsInteger() const;   // NULL or no row: 0
    qint64 AsCurrency() const;  // in ten-thousandths
    QString AsString() const;   // NULL: empty
    QString DisplayText() const;
    QByteArray AsBytes() const; // blob fields; read from the store on demand
    qint64 BlobSize() const;    // 0 when NULL, empty or no row

    // Writes need the cursor in edit or insert state.
    void setAsInteger(qint64 value);
    void setAsCurrency(qint64 value);
    // An empty text clears a number field; a text that does not convert is refused.
    void setAsString(const QString &value);
    void setAsBytes(const QByteArray &value);
    void Clear();

private:
    friend class Cursor;
    Field(Cursor *cursor, int index, QString name, FieldType type, int size, bool lookup);

    Cursor *cursor_;
    int index_;
    QString name_;
    QString label_;
    FieldType type_;
    int size_;
    bool lookup_;
};
