#pragma once

#include <QString>

#include <vector>

// A sheet of labels as the shops buy them: the page, and where its labels
// lie on it. Geometry is in tenths of a millimetre, as on report pages.
struct LabelSheet
{
    QString name; // as the user picks it
    int pageWidth = 2100;
    int pageHeight = 2970;
    int columns = 1;
    int rows = 1;
    int labelWidth = 0;
    int labelHeight = 0;
    int left = 0; // the first label's top-left corner
    int top = 0;

    int perSheet() const { return columns * rows; }
    // The top-left corner of the label at `position`, counted across the
    // rows from the top-left label, 0-based.
    int labelLeft(int position) const { return left + (position % columns) * labelWidth; }
    int labelTop(int position) const { return top + (position / columns) * labelHeight; }

    // The sheets offered, the common A4 ones first.
    static const std::vector<LabelSheet> &all();
};
