#pragma once

#include <Qt>

// Shows the busy pointer over every window of the program for the scope's
// life, restored when the scope ends, whether the command succeeded or
// threw. For commands that may take longer than a glance: sorting and
// searching a large catalogue, copying it, reading or writing a table,
// opening a report.
class BusyPointer
{
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    // The work goes on while the windows answer again (a report's later
    // pages): the pointer says both.
    void answering();

private:
    bool answering_ = false;
};
