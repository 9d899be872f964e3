#pragma once

#include <QString>
#include <functional>

class Cursor;

// A thousand shelf labels, as «Сервис → Печать этикеток…» shows them: the
// first sheet on screen, every sheet made, and the PDF of them all.
class LabelFigures
{
public:
    // `add` takes a figure: what, ours in ms.
    using Add = std::function<void(const QString &, double)>;
    static void measure(Cursor &goods, const Add &add);
};
