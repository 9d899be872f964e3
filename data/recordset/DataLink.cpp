#include "DataLink.h"

#include "Cursor.h"
#include "DataSource.h"
#include "Field.h"

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

bool DataLink::changesValue(const DataEvent &event, const Field *field)
{
    switch (event.kind) {
    case DataEventKind::ActiveChanged:
    case DataEventKind::DataSetChanged:
    case DataEventKind::Scrolled:
        return true;
    case DataEventKind::RecordChanged:
        return event.field < 0 || (field && event.field == field->index());
    default:
        return false;
    }
}
