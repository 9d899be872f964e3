#pragma once

#include "DataEvent.h"

class Cursor;
class DataSource;
class Field;

// The receiving end of a bound control: it hears every event of the cursor
// behind its data source. Either side may be destroyed first.
class DataLink
{
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return source_; }
    Cursor *DataSet() const { return cursor_; }

    // Called by the cursor; UpdateData may throw to stop a post.
    virtual void dataEvent(const DataEvent &event) = 0;

    // True when `event` may have changed the value of `field` in the current
    // row: another row, a new view, or a write into that column or the row.
    static bool changesValue(const DataEvent &event, const Field *field);

private:
    friend class Cursor;
    DataSource *source_ = nullptr;
    Cursor *cursor_ = nullptr;
};
