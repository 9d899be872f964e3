#pragma once

#include "reports/renderer/CursorReportData.h"
#include "reports/renderer/Report.h"

class Cursor;

// The one-page card of a part: heading, label and value lines, the photo,
// and the date and time at the foot. Prints every row the cursor shows, so
// the caller narrows the cursor to the part first.
class TfrmRepSelect
{
public:
    // Bound to the data module's goods cursor, which must exist.
    TfrmRepSelect();
    explicit TfrmRepSelect(Cursor &goods);
    TfrmRepSelect(const TfrmRepSelect &) = delete;
    TfrmRepSelect &operator=(const TfrmRepSelect &) = delete;

    // Shows the print preview modally; returns once it has closed and
    // production has stopped.
    void exec();

    static ReportDefinition definition();
    // The photo column's content as pixels; throws Error for content that
    // is no bitmap, which leaves the photo box empty.
    static Picture photo(const QByteArray &stored);

private:
    CursorReportData goods_;

public:
    Report repSelect;
};
