#pragma once

class Cursor;

// A named hand-over point between one cursor and the controls bound to it.
class DataSource
{
public:
    explicit DataSource(Cursor *dataSet) : dataSet_(dataSet) {}

    Cursor *DataSet() const { return dataSet_; }

private:
    Cursor *dataSet_;
};
