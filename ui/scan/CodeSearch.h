#pragma once

#include <QString>

class TfrmMain;

// Shows the part that a code names, scanned or typed: the goods cursor moves
// to it, so that the grid and the photo box show it. A part the current
// search hides is shown once the user agrees to clear the search; an
// unknown code is told.
class CodeSearch
{
public:
    static void showPart(TfrmMain &window, const QString &code);

    static QString notFoundText(const QString &code);
    static QString hiddenText(const QString &code);
    static const QString Caption;
};
