#include "FieldDataLink.h"

#include "Cursor.h"

void FieldDataLink::setDataSource(DataSource *source)
{
    DataLink::setDataSource(source);
    bindingChanged();
}

void FieldDataLink::setDataField(const QString &name)
{
    fieldName_ = name;
    bindingChanged();
}

Field *FieldDataLink::field() const
{
    return DataSet() ? DataSet()->findField(fieldName_) : nullptr;
}
