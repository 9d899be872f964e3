#pragma once

#include "reports/renderer/CursorReportData.h"
#include "reports/renderer/Report.h"

class Cursor;

// The list of found goods: every row the goods cursor shows, in its order,
// as blocks of label and value pairs under a heading, seven to a page.
class TfrmRepAll
{
public:
    // Bound to the data module's goods cursor, which must exist.
    TfrmRepAll();
    explicit TfrmRepAll(Cursor &goods);
    TfrmRepAll(const TfrmRepAll &) = delete;
    TfrmRepAll &operator=(const TfrmRepAll &) = delete;

    // Shows the print preview modally; returns once it has closed and
    // production has stopped. Leaves the cursor on the last row produced.
    void exec();

    static ReportDefinition definition();

private:
    CursorReportData goods_;

public:
    Report repAll;
};
