#pragma once

#include "labels/TextMeasure.h"

// Text sizes as the PDF and the printer draw them: measured at 600 dots per
// inch with the painter's own fonts, so that what fits on the page fits on
// paper.
class FontMeasure
{
public:
    static TextMeasure measure();
};
