#pragma once

#include "DataLink.h"

#include <QString>

// A data link bound to one column of its cursor, by name. Whenever the
// source or the column changes, the control shows the value anew.
class FieldDataLink : public DataLink
{
public:
    void setDataSource(DataSource *source);
    void setDataField(const QString &name);
    // The bound column, once the cursor is known; else nullptr.
    Field *field() const;

protected:
    virtual void bindingChanged() = 0;

private:
    QString fieldName_;
};
