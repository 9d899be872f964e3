#include "DataLink.h"

#include "Cursor.h"
#include "DataSource.h"

DataLink::~DataLink()
{
    setDataSource(nullptr);
}

void DataLink::setDataSource(DataSource *source)
{
    if (cursor_)
        cursor_->detach(this);
    source_ = source;
    cursor_ = nullptr;
    if (source && source->DataSet())
        source->DataSet()->attach(this);
}
