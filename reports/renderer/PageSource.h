#pragma once

#include "ReportPages.h"

// Makes pages in steps that a caller can spread over its event loop: what the
// print preview needs of a report's producer, or of any other maker of pages.
class PageSource
{
public:
    virtual ~PageSource() = default;

    // Makes up to `units` more rows' worth of pages; false once all are made.
    virtual bool step(int units) = 0;
    // Work done against the whole, in per cent; 100 once finished.
    virtual int progress() const = 0;
    // Pages that are complete.
    virtual int finishedPages() const = 0;
    virtual const ReportPages &pages() const = 0;
    virtual ReportPages takePages() = 0;
};
