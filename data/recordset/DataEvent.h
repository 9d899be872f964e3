#pragma once

// What a cursor tells the controls bound to it.
enum class DataEventKind {
    ActiveChanged,  // opened or closed
    DataSetChanged, // the whole view changed: filter, sort, refresh
    RowInserted,    // a row appeared at `row` of the view (the new row of Append)
    RowRemoving,    // the row at `row` is about to leave the view; the view is still whole
    RowRemoved,     // the row at `row` left the view (Delete, a cancelled new row)
    RecordChanged,  // values of the current row changed; `field` or -1 for all
    Scrolled,       // another row became current
    StateChanged,   // browse, edit, insert
    UpdateData,     // write pending input into the row now: a post is under way
};

struct DataEvent
{
    DataEventKind kind;
    int row = -1;
    int field = -1;
};
